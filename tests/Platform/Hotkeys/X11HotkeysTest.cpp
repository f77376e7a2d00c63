// Global hotkeys on an X server of the test's own (Xvfb): a combination fires
// while another client's window has the focus, whatever the lock keys, one
// that client holds is refused, and "Set Hotkey…" hears the next combination.

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Hotkeys/X11Hotkeys.h"
#include "XDisplay.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <optional>
#include <string>
#include <vector>

using platform::GlobalHotkeys;
using platform::Hotkey;
using platform::RunLoop;

namespace {

// Serves the main run loop until `done` says so or ten seconds pass (a key
// that never arrives fails the test instead of hanging it).
template <class Done>
bool serveUntil(Done done) {
    bool timedOut = false;
    auto limit = RunLoop::main().scheduleTimer(10, [&] {
        timedOut = true;
        RunLoop::main().stop();
    });
    // Each activation stops the loop; a stop left from before just goes round again.
    while (!done() && !timedOut) RunLoop::main().run();
    limit->invalidate();
    return done();
}

TEST(HotkeyText, NamesKeysAsTheKeyboardDoes) {
    struct Case {
        const char* text;
        std::optional<Hotkey> hotkey;
        const char* shown;  // the text it is shown as
        bool steals;
    };
    const Case cases[] = {
        {"Ctrl+Alt+H", Hotkey{Hotkey::kControl | Hotkey::kAlt, XKB_KEY_h}, "Ctrl+Alt+H", false},
        {"Alt+Ctrl+h", Hotkey{Hotkey::kControl | Hotkey::kAlt, XKB_KEY_h}, "Ctrl+Alt+H", false},
        {"Super+F5", Hotkey{Hotkey::kSuper, XKB_KEY_F5}, "Super+F5", false},
        {"Ctrl+plus", Hotkey{Hotkey::kControl, XKB_KEY_plus}, "Ctrl+plus", false},
        {"Shift+1", Hotkey{Hotkey::kShift, XKB_KEY_1}, "Shift+1", true},
        {"h", Hotkey{0, XKB_KEY_h}, "H", true},
        {"KP_Add", Hotkey{0, XKB_KEY_KP_Add}, "KP_Add", false},
        {"Hyper+H", std::nullopt, "", false},
        {"Ctrl+", std::nullopt, "", false},
        {"", std::nullopt, "", false},
        {"Ctrl+NoSuchKey", std::nullopt, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = Hotkey::parse(c.text);
        EXPECT_EQ(parsed, c.hotkey);
        if (!parsed) continue;
        EXPECT_EQ(parsed->text(), c.shown);
        EXPECT_EQ(parsed->steals(), c.steals);
    }
}

class X11HotkeysTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display.started());
        std::string problem;
        hotkeys = platform::X11Hotkeys::connect(display.name().c_str(), problem);
        ASSERT_TRUE(hotkeys) << problem;
        hotkeys->setActivated([this](int binding) {
            fired.push_back(binding);
            RunLoop::main().stop();
        });
    }
    void TearDown() override { hotkeys.reset(); }

    hotkeytest::XDisplay display;
    std::unique_ptr<platform::X11Hotkeys> hotkeys;
    std::vector<int> fired;
};

TEST_F(X11HotkeysTest, FiresWhileAnotherProgramHasFocusWithTheLocksOnOrOff) {
    ASSERT_EQ(hotkeys->bind(7, *Hotkey::parse("Ctrl+Alt+K")), std::nullopt);
    ASSERT_EQ(hotkeys->bind(8, *Hotkey::parse("F9")), std::nullopt);
    ASSERT_EQ(display.focus(), display.window());
    struct Case {
        const char* what;
        std::vector<std::uint32_t> locks;  // toggled before, and back after
        std::vector<std::uint32_t> keys;
        int binding;
    };
    const Case cases[] = {
        {"locks off", {}, {XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_k}, 7},
        {"Num Lock on", {XKB_KEY_Num_Lock}, {XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_k}, 7},
        {"Caps Lock on", {XKB_KEY_Caps_Lock}, {XKB_KEY_F9}, 8},
        {"both on", {XKB_KEY_Num_Lock, XKB_KEY_Caps_Lock}, {XKB_KEY_F9}, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fired.clear();
        for (auto lock : c.locks) display.type({lock});
        display.type(c.keys);
        EXPECT_TRUE(serveUntil([&] { return !fired.empty(); }));
        EXPECT_EQ(fired, std::vector<int>{c.binding});
        for (auto lock : c.locks) display.type({lock});
        // The other program kept its focus.
        EXPECT_EQ(display.focus(), display.window());
    }
}

TEST_F(X11HotkeysTest, UnboundAndUnheldCombinationsDoNothing) {
    ASSERT_EQ(hotkeys->bind(7, *Hotkey::parse("Ctrl+Alt+K")), std::nullopt);
    hotkeys->unbind(7);
    ASSERT_EQ(hotkeys->bind(9, *Hotkey::parse("Ctrl+Alt+L")), std::nullopt);
    // Shift more than was bound is another combination.
    display.type({XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_k});
    display.type({XKB_KEY_Shift_L, XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_l});
    display.type({XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_l});
    EXPECT_TRUE(serveUntil([&] { return !fired.empty(); }));
    EXPECT_EQ(fired, std::vector<int>{9});
    // The released one is free for another program again.
    EXPECT_TRUE(display.grab(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, XKB_KEY_k));
}

TEST_F(X11HotkeysTest, ACombinationAnotherProgramHoldsIsRefused) {
    ASSERT_TRUE(display.grab(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, XKB_KEY_j));
    const auto refused = hotkeys->bind(3, *Hotkey::parse("Ctrl+Alt+J"));
    ASSERT_TRUE(refused);
    EXPECT_EQ(*refused,
              "Ctrl+Alt+J is already taken by another program; choose another combination.");
    // Nothing of it stays bound: the other program's grab still stands, and
    // the key pressed reaches nobody here.
    display.type({XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_j});
    ASSERT_EQ(hotkeys->bind(4, *Hotkey::parse("Ctrl+Alt+M")), std::nullopt);
    display.type({XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_m});
    EXPECT_TRUE(serveUntil([&] { return !fired.empty(); }));
    EXPECT_EQ(fired, std::vector<int>{4});
}

TEST_F(X11HotkeysTest, SetHotkeyHearsTheNextCombination) {
    using Kind = GlobalHotkeys::Capture::Kind;
    struct Case {
        std::vector<std::uint32_t> keys;
        Kind kind;
        const char* shown;
    };
    const Case cases[] = {
        {{XKB_KEY_Control_L, XKB_KEY_Shift_L, XKB_KEY_F5}, Kind::Combination, "Ctrl+Shift+F5"},
        {{XKB_KEY_Super_L, XKB_KEY_a}, Kind::Combination, "Super+A"},
        {{XKB_KEY_Escape}, Kind::Cancelled, ""},
        {{XKB_KEY_BackSpace}, Kind::Removed, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        std::optional<GlobalHotkeys::Capture> heard;
        hotkeys->captureNext([&](const GlobalHotkeys::Capture& capture) {
            heard = capture;
            RunLoop::main().stop();
        });
        display.type(c.keys);
        ASSERT_TRUE(serveUntil([&] { return heard.has_value(); }));
        EXPECT_EQ(heard->kind, c.kind);
        if (c.kind == Kind::Combination) {
            EXPECT_EQ(heard->hotkey.text(), c.shown);
        }
        // The keyboard is the focused window's again.
        EXPECT_EQ(display.focus(), display.window());
    }
}

}  // namespace
