// Global hotkeys through the GlobalShortcuts portal, on a session bus of the
// test's own (a private dbus-daemon). No desktop backend runs here, so the
// portal is a stand-in that follows the documented interface (PortalStandIn).

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Hotkeys/PortalHotkeys.h"
#include "PortalStandIn.h"
#include "tests/support/PrivateSessionBus.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <string>
#include <vector>

using platform::Hotkey;
using platform::PortalHotkeys;
using platform::RunLoop;

namespace {

// Serves the main run loop until an activation stops it, or ten seconds pass.
std::vector<int> serveActivations(PortalHotkeys& hotkeys) {
    std::vector<int> fired;
    hotkeys.setActivated([&fired](int binding) {
        fired.push_back(binding);
        RunLoop::main().stop();
    });
    auto limit = RunLoop::main().scheduleTimer(10, [] { RunLoop::main().stop(); });
    RunLoop::main().run();
    limit->invalidate();
    hotkeys.setActivated(nullptr);
    return fired;
}

TEST(PortalHotkeysTest, WithoutThePortalTheDesktopSaysSoInOneLine) {
    sbtest::PrivateSessionBus bus;
    ASSERT_TRUE(bus.started());
    std::string problem;
    EXPECT_EQ(PortalHotkeys::connect(bus.address(), problem), nullptr);
    EXPECT_EQ(problem,
              "This desktop offers no GlobalShortcuts portal (GNOME before 48 and wlroots "
              "desktops have none), so Soundboard cannot have global hotkeys here.");
    EXPECT_EQ(problem.find('\n'), std::string::npos);
}

class PortalHotkeysBound : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(bus.started());
        ASSERT_TRUE(portal.serving());
        std::string problem;
        hotkeys = PortalHotkeys::connect(bus.address(), problem);
        ASSERT_TRUE(hotkeys) << problem;
        ASSERT_TRUE(hotkeys->desktopChoosesKeys());
    }

    sbtest::PrivateSessionBus bus;
    hotkeytest::PortalStandIn portal{bus.address()};
    std::unique_ptr<PortalHotkeys> hotkeys;
};

TEST_F(PortalHotkeysBound, BindsAskingForTheKeyAndShowsWhatTheDesktopChose) {
    struct Case {
        int binding;
        Hotkey hotkey;
        std::vector<std::string> sent;  // every preferred trigger, the new one last
        const char* shown;
    };
    const Case cases[] = {
        {3, Hotkey{Hotkey::kControl | Hotkey::kAlt, XKB_KEY_h}, {"CTRL+ALT+h"}, "CTRL+ALT+h"},
        {4,
         Hotkey{Hotkey::kSuper | Hotkey::kShift, XKB_KEY_F5},
         {"CTRL+ALT+h", "SHIFT+LOGO+F5"},
         "SHIFT+LOGO+F5"},
        // No key asked for: the desktop picks one and says which.
        {5, Hotkey{}, {"CTRL+ALT+h", "SHIFT+LOGO+F5", ""}, "Ctrl+F12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(hotkeys->bind(c.binding, c.hotkey), std::nullopt);
        EXPECT_EQ(portal.lastTriggers(), c.sent);
        EXPECT_EQ(hotkeys->shownAs(c.binding), c.shown);
    }
    hotkeys->unbind(4);
    EXPECT_EQ(portal.lastTriggers(), (std::vector<std::string>{"CTRL+ALT+h", ""}));
    EXPECT_EQ(hotkeys->shownAs(4), std::nullopt);
}

TEST_F(PortalHotkeysBound, ActivatedFiresTheBindingOfThisSessionOnly) {
    ASSERT_EQ(hotkeys->bind(3, Hotkey{Hotkey::kControl, XKB_KEY_h}), std::nullopt);
    // Another program's session, and a shortcut that is none of ours, come first.
    portal.activate("binding-3", "/org/freedesktop/portal/desktop/session/1_99/other");
    portal.activate("binding-x");
    portal.activate("binding-3");
    EXPECT_EQ(serveActivations(*hotkeys), std::vector<int>{3});
}

TEST_F(PortalHotkeysBound, AHotkeyTheDesktopRefusesIsNotBound) {
    ASSERT_EQ(hotkeys->bind(3, Hotkey{Hotkey::kControl, XKB_KEY_h}), std::nullopt);
    portal.refuseBinds(true);
    EXPECT_EQ(hotkeys->bind(4, Hotkey{Hotkey::kControl, XKB_KEY_j}),
              "The desktop did not take the hotkey.");
    EXPECT_EQ(hotkeys->shownAs(4), std::nullopt);
    // What was bound before stays as the desktop last reported it.
    EXPECT_EQ(hotkeys->shownAs(3), "CTRL+h");
}

}  // namespace
