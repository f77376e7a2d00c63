#pragma once

#include "View.h"

#include <memory>

namespace platform {

// The application's window: the root of the view tree the host draws.
//
// The key window is held weakly here, below the application object, so that
// the window needs nothing above it; the application answers from it.
class Window : public View {
  public:
    using View::View;
    std::string_view typeName() const override { return "Window"; }

    // Makes this the key window and shows it. A window not owned by a
    // shared pointer can be shown but never becomes key.
    void makeKeyAndVisible();
    bool isKeyWindow() const;
    bool isVisible() const { return m_visible; }

    // The key window, or null when there is none or it has gone.
    static std::shared_ptr<Window> keyWindow();
    // Null: no window is key.
    static void setKeyWindow(const std::shared_ptr<Window>& window);

  private:
    bool m_visible = false;
};

}  // namespace platform
