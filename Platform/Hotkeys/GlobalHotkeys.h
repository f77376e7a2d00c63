#pragma once

#include "Hotkey.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// Key combinations that reach the program whatever window has focus, each
// bound to a number the program chose. One small interface over what the
// desktop offers (key grabs on X11).
//
// Threads: everything is called on the main thread, and every callback comes
// there, through the main run loop.
class GlobalHotkeys {
  public:
    // The next combination pressed, for "Set Hotkey…".
    struct Capture {
        enum class Kind {
            Combination,  // `hotkey` was pressed
            Cancelled,    // Escape
            Removed,      // Backspace: the user wants none
            Failed,       // the keyboard could not be listened to; `problem` says why
        };
        Kind kind = Kind::Cancelled;
        Hotkey hotkey;
        std::string problem;
    };
    using Activated = std::function<void(int binding)>;
    using Captured = std::function<void(const Capture& capture)>;

    virtual ~GlobalHotkeys() = default;

    // Binds `hotkey` to `binding` (in place of what `binding` had). None when
    // done; else the reason, for the user ("Ctrl+Alt+H is already taken by
    // another program"), and nothing is bound.
    virtual std::optional<std::string> bind(int binding, const Hotkey& hotkey) = 0;
    virtual void unbind(int binding) = 0;
    virtual void unbindAll() = 0;
    // Listens for the next combination (taking the keyboard from whichever
    // window has it until then) and hands it to `captured`, once.
    virtual void captureNext(Captured captured) = 0;

    // Where the desktop, not the program, asks the user for the key (the
    // portal on Wayland): bind with an empty Hotkey (no key) to let it.
    virtual bool desktopChoosesKeys() const { return false; }
    // The key as the desktop reports it, where it may differ from what was asked.
    virtual std::optional<std::string> shownAs(int /*binding*/) const { return std::nullopt; }

    void setActivated(Activated activated) { m_activated = std::move(activated); }

    // The desktop's global hotkeys: the GlobalShortcuts portal in a Wayland
    // session, key grabs on the X display of $DISPLAY otherwise. Null, with
    // the one line that says why in `problem`, where the desktop offers none
    // this program can use (a Wayland desktop without the portal: a grab
    // through XWayland would hear only keys typed into other X11 windows).
    static std::unique_ptr<GlobalHotkeys> forDesktop(std::string& problem);

  protected:
    void activate(int binding) const {
        if (m_activated) m_activated(binding);
    }

  private:
    Activated m_activated;
};

}  // namespace platform
