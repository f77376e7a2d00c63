#pragma once

#include <memory>
#include <string>
#include <vector>

namespace hotkeytest {

// A stand-in for the desktop's GlobalShortcuts portal, since no desktop
// backend (GNOME, KDE) runs where the tests do. It follows the documented
// interface (org.freedesktop.portal.GlobalShortcuts, version 1, at
// org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop): requests
// answer with Response on the path the caller can predict from its token,
// BindShortcuts reports each shortcut's trigger_description (the preferred
// trigger, or a key of its own choosing when none was given), and
// activate() sends Activated as a key press would. Served on a thread of its
// own, on the bus at `address`.
class PortalStandIn {
  public:
    explicit PortalStandIn(const std::string& address);
    ~PortalStandIn();
    bool serving() const;

    // The desktop says no (the user cancelled its dialog) to the next binds.
    void refuseBinds(bool refuse);
    // The preferred triggers of the last BindShortcuts, as sent ("" for none).
    std::vector<std::string> lastTriggers() const;
    // Sends Activated for `shortcutId` of the last session made (or of `session`).
    void activate(const std::string& shortcutId, const std::string& session = {});

    struct State;

  private:
    std::shared_ptr<State> m_state;
};

}  // namespace hotkeytest
