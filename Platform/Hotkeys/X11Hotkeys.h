#pragma once

#include "GlobalHotkeys.h"

#include <memory>
#include <string>

namespace platform {

// Global hotkeys on an X display: each combination is grabbed on the root
// window through a connection of its own (xcb), once for every state of the
// lock modifiers (Caps Lock, Num Lock), so that it fires whichever window has
// focus and whether a lock is on. A combination another client holds comes
// back from the server as an error and is refused.
//
// Threads: a thread of the object's own waits on the connection; a key press
// it reads is posted to the main run loop, where `activated` hears it.
class X11Hotkeys final : public GlobalHotkeys {
  private:
    // Only connect() can name it: the way in is there.
    struct Key {
        explicit Key() = default;
    };

  public:
    // `display` null: $DISPLAY. Null, with the reason, when it cannot be opened.
    static std::unique_ptr<X11Hotkeys> connect(const char* display, std::string& problem);
    ~X11Hotkeys() override;

    std::optional<std::string> bind(int binding, const Hotkey& hotkey) override;
    void unbind(int binding) override;
    void unbindAll() override;
    void captureNext(Captured captured) override;

    struct State;
    X11Hotkeys(Key, std::shared_ptr<State> state);

  private:
    std::shared_ptr<State> m_state;
};

}  // namespace platform
