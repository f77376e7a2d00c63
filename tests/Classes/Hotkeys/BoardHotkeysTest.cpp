// The open board's global hotkeys over the real pages, on an X server of the
// test's own (Xvfb) with another client's window focused: Set Hotkey… takes
// the next combination, hotkeys come back after a restart, and each board
// has only its own.

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/Desktop/DesktopCommands.h"
#include "Classes/Hotkeys/BoardHotkeys.h"
#include "Classes/Hotkeys/HotkeyCommands.h"
#include "Classes/MainPage.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/SoundContextMenu.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Hotkeys/X11Hotkeys.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/HostServices.h"
#include "Platform/UI/WindowCommands.h"
#include "tests/Classes/PageHarness.h"
#include "tests/Platform/Hotkeys/XDisplay.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using platform::RunLoop;

namespace {

const char* const kBoard =
    "<Sounds><DT title=\"Horns\"><DS audio_no=\"1\" label=\"Air Horn\"/>"
    "<DS audio_no=\"2\" label=\"Café &amp; Crème\"/></DT></Sounds>";

// What the user would be told, kept instead of shown.
class RecordingServices : public platform::HostServices {
  public:
    void chooseFolder(std::string, fs::path, FolderChosen chosen) override { chosen(std::nullopt); }
    void ask(std::string, std::string, std::string, Answered answered) override { answered(false); }
    void tell(std::string, std::string text) override { told.push_back(std::move(text)); }
    bool runInBackground(platform::BackgroundWork) override { return false; }
    bool openBundle(const fs::path&) override { return false; }
    double zoom() const override { return 1; }
    void setZoom(double) override {}
    std::vector<std::string> told;
};

// Serves the main run loop until `done`, or fails after ten seconds.
template <class Done>
bool serveUntil(Done done) {
    bool timedOut = false;
    auto limit = RunLoop::main().scheduleTimer(10, [&] { timedOut = true; });
    while (!done() && !timedOut) {
        // Served in short rounds: a key press wakes the loop by posting to it.
        auto round = RunLoop::main().scheduleTimer(0.01, [] { RunLoop::main().stop(); });
        RunLoop::main().run();
        round->invalidate();
    }
    limit->invalidate();
    return done();
}

class BoardHotkeysTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(display.started());
        boardA = pagetest::makeBundle(kBoard, {"1", "2"});
        boardB = sbtest::tempDir() / "other board";
        fs::copy(boardA, boardB, fs::copy_options::recursive);
        pagetest::useBundle(boardA);
        app.launch();
        // The page harness's manual clock would hold the run loop's timers.
        RunLoop::main().setClock(nullptr);
        delegate->navigationController = std::static_pointer_cast<platform::NavigationController>(
            app.navigation().shared_from_this());
        application().setDelegate(delegate);
        platform::WindowCommands::setApplicationCommands(desktopCommands());
        application().setHostServices(&services);
        hotkeys = start();
    }
    void TearDown() override {
        hotkeys.reset();
        platform::stopAllSystemSounds();
        application().setHostServices(nullptr);
        application().setDelegate(nullptr);
        platform::WindowCommands::setApplicationCommands({});
    }
    static platform::Application& application() {
        return platform::Application::sharedApplication();
    }
    // The program starting: the desktop's hotkeys, then the open board's.
    std::unique_ptr<BoardHotkeys> start() {
        std::string problem;
        auto made = std::make_unique<BoardHotkeys>(
            platform::X11Hotkeys::connect(display.name().c_str(), problem), problem);
        made->boardOpened();
        return made;
    }
    // Set Hotkey… for `action`, then the keys typed, until the outcome is told.
    std::string setHotkey(const std::string& action, const std::vector<std::uint32_t>& keys) {
        services.told.clear();
        hotkeys->setHotkey(action, "the sound", services);
        display.type(keys);
        EXPECT_TRUE(serveUntil([&] { return services.told.size() >= 2; }));
        return services.told.empty() ? "" : services.told.back();
    }

    hotkeytest::XDisplay display;
    pagetest::PageHarness app;
    std::shared_ptr<PeltoAppDelegate> delegate = std::make_shared<PeltoAppDelegate>();
    RecordingServices services;
    fs::path boardA;
    fs::path boardB;
    std::unique_ptr<BoardHotkeys> hotkeys;
};

TEST_F(BoardHotkeysTest, SetHotkeyTakesTheNextCombinationOrSaysWhyNot) {
    ASSERT_TRUE(display.grab(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, XKB_KEY_j));
    const std::string sound = BoardHotkeys::soundAction("1");
    struct Case {
        std::vector<std::uint32_t> keys;
        const char* told;
        std::optional<std::string> hotkey;  // the sound's hotkey after
    };
    const Case cases[] = {
        {{XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_1}, "the sound: Ctrl+Alt+1", "Ctrl+Alt+1"},
        {{XKB_KEY_Escape}, "The hotkey of the sound is unchanged.", "Ctrl+Alt+1"},
        {{XKB_KEY_BackSpace}, "the sound has no hotkey now.", std::nullopt},
        {{XKB_KEY_a},
         "A alone would take that key from every program; add Ctrl, Alt or Super.",
         std::nullopt},
        {{XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_j},
         "Ctrl+Alt+J is already taken by another program; choose another combination.",
         std::nullopt},
        {{XKB_KEY_F8}, "the sound: F8", "F8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.told);
        EXPECT_EQ(setHotkey(sound, c.keys), c.told);
        EXPECT_EQ(hotkeys->hotkeyText(sound), c.hotkey);
    }
    // Stop All cannot take the sound's combination.
    EXPECT_EQ(setHotkey(std::string(command_names::kStopAllSounds), {XKB_KEY_F8}),
              "F8 is already the hotkey of Air Horn.");
}

TEST_F(BoardHotkeysTest, HotkeysComeBackAfterARestartForTheirBoardOnly) {
    ASSERT_EQ(
        hotkeys->assign(BoardHotkeys::soundAction("2"), platform::Hotkey::parse("Ctrl+Alt+2")),
        std::nullopt);
    ASSERT_EQ(hotkeys->assign(std::string(command_names::kStopAllSounds),
                              platform::Hotkey::parse("Ctrl+Alt+S")),
              std::nullopt);
    hotkeys.reset();
    hotkeys = start();

    EXPECT_EQ(hotkeys->listing(),
              "Café & Crème: Ctrl+Alt+2 (global)\nStop All Sounds: Ctrl+Alt+S (global)");
    display.type({XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_2});
    EXPECT_TRUE(serveUntil([] { return platform::playingSoundCount() == 1; }));
    display.type({XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_s});
    EXPECT_TRUE(serveUntil([] { return platform::playingSoundCount() == 0; }));

    // The other board has none of them, and lets go of the keys.
    pagetest::useBundle(boardB);
    hotkeys->boardOpened();
    EXPECT_EQ(hotkeys->hotkeyText(BoardHotkeys::soundAction("2")), std::nullopt);
    EXPECT_EQ(hotkeys->listing(), "");
    EXPECT_TRUE(display.grab(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, XKB_KEY_2));

    // Kept with the desktop preferences, never with the board's favourite marks.
    for (const auto& [key, value] :
         platform::UserDefaults::standardUserDefaults().dictionaryRepresentation()) {
        EXPECT_EQ(key.find("otkey"), std::string::npos) << key;
    }
}

const platform::WindowCommand* commandTitled(const platform::WindowCommands& commands,
                                             const std::string& title) {
    for (const auto& command : commands.commands()) {
        if (command.title == title) return &command;
    }
    return nullptr;
}

// A sound's context menu offers Set Hotkey… only where hotkeys are answered,
// and it binds the next combination to that row's sound, not the shown page's.
TEST_F(BoardHotkeysTest, TheContextMenuOfARowSetsThatSoundsHotkey) {
    const auto contextTitles = [this] {
        std::vector<std::string> titles;
        for (const auto& item :
             soundContextCommands(Catalogue::soundEntryAt(Catalogue::loadDocument(), 0, 1),
                                  std::static_pointer_cast<platform::ViewController>(
                                      app.mainPage().shared_from_this())))
            titles.push_back(item.title);
        return titles;
    };
    const auto offered = [&] {
        const auto titles = contextTitles();
        return std::find(titles.begin(), titles.end(), "Set Hotkey…") != titles.end();
    };
    EXPECT_FALSE(offered()) << "nobody answers it yet";
    answerSoundHotkeyCommand(*hotkeys);
    ASSERT_TRUE(offered());
    for (const auto& item :
         soundContextCommands(Catalogue::soundEntryAt(Catalogue::loadDocument(), 0, 1),
                              std::static_pointer_cast<platform::ViewController>(
                                  app.mainPage().shared_from_this()))) {
        if (item.title == "Set Hotkey…") item.perform(services);
    }
    display.type({XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_2});
    EXPECT_TRUE(serveUntil([&] { return services.told.size() >= 2; }));
    EXPECT_EQ(hotkeys->hotkeyText(BoardHotkeys::soundAction("2")), "Ctrl+Alt+2");
    EXPECT_EQ(hotkeys->hotkeyText(BoardHotkeys::soundAction("1")), std::nullopt);
    // The table outlives this test's hotkeys: nobody answers any more.
    application().commandTable().add(
        std::string(command_names::kSetSoundHotkey), [](std::string_view) { return false; },
        [] { return platform::CommandState{false}; });
}

TEST_F(BoardHotkeysTest, TheSoundMenuAndHelpShowTheHotkeys) {
    ASSERT_EQ(
        hotkeys->assign(BoardHotkeys::soundAction("1"), platform::Hotkey::parse("Ctrl+Alt+1")),
        std::nullopt);
    const auto commands = hotkeyCommands(*hotkeys);
    const auto* set = commandTitled(commands, "Set Hotkey…");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->menu, "Sound");
    EXPECT_FALSE(set->isEnabledNow());  // no play page on top
    app.mainPage().RootTable->tapRowAtIndexPath({0, 0});
    EXPECT_TRUE(set->isEnabledNow());
    EXPECT_EQ(set->titleNow(), "Set Hotkey… (Ctrl+Alt+1)");

    const auto* global = commandTitled(commands, "Global Hotkeys");
    ASSERT_NE(global, nullptr);
    ASSERT_TRUE(global->submenu);
    std::vector<std::string> titles;
    for (const auto& item : global->submenu()) titles.push_back(item.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Stop All Sounds…", "Volume Up…", "Volume Down…",
                                                "Mute…"}));

    setGlobalHotkeyListing([this] { return hotkeys->listing(); });
    const auto* help =
        commandTitled(platform::WindowCommands::applicationCommands(), "Keyboard Shortcuts");
    ASSERT_NE(help, nullptr);
    help->perform(services);
    setGlobalHotkeyListing(nullptr);
    ASSERT_FALSE(services.told.empty());
    const std::string& told = services.told.back();
    const std::string listed =
        "\n\nGlobal hotkeys (whatever has focus):\nAir Horn: Ctrl+Alt+1 (global)";
    EXPECT_TRUE(told.ends_with(listed)) << told;
}

}  // namespace
