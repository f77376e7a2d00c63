#pragma once

#include "GlobalHotkeys.h"

#include <memory>
#include <string>

namespace platform {

// Global hotkeys through the desktop's GlobalShortcuts portal
// (org.freedesktop.portal.GlobalShortcuts on the session bus), the way a
// Wayland desktop offers them: one session (CreateSession), every binding of
// the board sent together (BindShortcuts), and the Activated signal when one
// is pressed. The desktop has the last word on the key: it may ask the user
// or choose another, and what it reports is what shownAs() tells.
//
// Threads: the bus is heard on a thread of the object's own; activations are
// posted to the main run loop. bind() waits for the desktop's answer, at most
// kAnswerSeconds (the desktop may show a dialog meanwhile); connecting waits
// at most kSessionSeconds for the session.
class PortalHotkeys final : public GlobalHotkeys {
  private:
    // Only connect() can name it: the way in is there.
    struct Key {
        explicit Key() = default;
    };

  public:
    static constexpr int kAnswerSeconds = 60;
    static constexpr int kSessionSeconds = 10;

    // `address` empty: the environment's session bus. Null, with one line for
    // the user in `problem`, when the desktop offers no GlobalShortcuts portal.
    static std::unique_ptr<PortalHotkeys> connect(const std::string& address, std::string& problem);
    ~PortalHotkeys() override;

    std::optional<std::string> bind(int binding, const Hotkey& hotkey) override;
    void unbind(int binding) override;
    void unbindAll() override;
    // The portal hears no keys for the program: the desktop asks for them.
    void captureNext(Captured captured) override;
    bool desktopChoosesKeys() const override { return true; }
    std::optional<std::string> shownAs(int binding) const override;

    struct State;
    PortalHotkeys(Key, std::shared_ptr<State> state);

  private:
    std::optional<std::string> sendBindings();
    std::shared_ptr<State> m_state;
};

}  // namespace platform
