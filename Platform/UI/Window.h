#pragma once

#include "View.h"

namespace platform {

// The application's window: the root of the view tree the host draws.
class Window : public View {
  public:
    using View::View;
    std::string_view typeName() const override { return "Window"; }

    // Makes this the application's key window and shows it.
    void makeKeyAndVisible();
    bool isKeyWindow() const;
    bool isVisible() const { return m_visible; }

  private:
    bool m_visible = false;
};

}  // namespace platform
