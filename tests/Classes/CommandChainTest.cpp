// Commands by name through the chain the menus, keys and other programs use:
// the page on top answers first, then its stack, the application's own
// commands, and last the delegate.

#include "Classes/CommandNames.h"
#include "Classes/InfoPage.h"
#include "Classes/LovePage.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "Classes/Search/SearchPage.h"
#include "PageHarness.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/HostServices.h"
#include "Platform/UI/WindowCommands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace names = command_names;
using pagetest::PageHarness;

namespace {

const char* const kCatalogue =
    "<Sounds>\n"
    "  <DT title=\"Animals\"><DS audio_no=\"1\" label=\"Cat\"/></DT>\n"
    "  <DT title=\"Machines\"><DS audio_no=\"2\" label=\"Car\"/></DT>\n"
    "</Sounds>\n";

class CommandChain : public ::testing::Test {
  protected:
    void SetUp() override {
        // "3" has a file but no entry: the board does not offer it.
        pagetest::useBundle(pagetest::makeBundle(kCatalogue, {"1", "2", "3"}));
        app.launch();
        delegate->navigationController = std::static_pointer_cast<platform::NavigationController>(
            app.navigation().shared_from_this());
        application().setDelegate(delegate);
        Reference::setBool(false, "1");
    }
    void TearDown() override {
        platform::stopAllSystemSounds();
        application().setDelegate(nullptr);
        platform::WindowCommands::setApplicationCommands({});
    }
    static platform::Application& application() {
        return platform::Application::sharedApplication();
    }
    void openPlayPage() { app.mainPage().RootTable->tapRowAtIndexPath({0, 0}); }

    PageHarness app;
    std::shared_ptr<PeltoAppDelegate> delegate = std::make_shared<PeltoAppDelegate>();
};

struct Case {
    const char* what;
    bool onPlayPage;
    std::string_view command;
    std::string argument;
    bool ran;
    std::function<bool(PageHarness&)> outcome;
};

template <class Page>
bool onTop(PageHarness& app) {
    return app.topAs<Page>() != nullptr;
}

TEST_F(CommandChain, EachCommandIsAnsweredByTheFirstLinkThatKnowsIt) {
    const auto playing = [](std::size_t count) {
        return [count](PageHarness&) { return platform::playingSoundCount() == count; };
    };
    const auto depth = [](std::size_t pages) {
        return [pages](PageHarness& app) { return app.depth() == pages; };
    };
    const Case cases[] = {
        {"play without a play page", false, names::kPlay, "", false, playing(0)},
        {"play on the play page", true, names::kPlay, "", true, playing(1)},
        {"Space's default action on the play page", true, names::kDefaultAction, "", true,
         playing(1)},
        // The list came back showing the row the play page was opened from.
        {"Space on the main page plays its selected row", false, names::kDefaultAction, "", true,
         playing(1)},
        {"favourites from the play page", true, names::kOpenFavourites, "", true, onTop<LovePage>},
        {"favourites from the main page", false, names::kOpenFavourites, "", true, onTop<LovePage>},
        {"info from the play page", true, names::kOpenInfo, "", true, onTop<InfoPage>},
        {"info from the main page", false, names::kOpenInfo, "", true, onTop<InfoPage>},
        {"find", false, names::kFind, "", true, onTop<SearchPage>},
        {"back on the root", false, names::kBack, "", false, depth(1)},
        {"back from the play page", true, names::kBack, "", true, depth(1)},
        {"options off the main page", true, names::kToggleOptions, "", false, depth(2)},
        {"a sound of the board by number", false, names::kPlaySound, "2", true, playing(1)},
        {"a number the board does not list", false, names::kPlaySound, "3", false, playing(0)},
        {"a number that reaches outside", false, names::kPlaySound, "../1", false, playing(0)},
        {"no number", false, names::kPlaySound, "", false, playing(0)},
        {"a name nobody answers", false, "noSuchCommand", "", false, depth(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        while (app.depth() > 1) app.back();
        platform::stopAllSystemSounds();
        if (c.onPlayPage) openPlayPage();
        EXPECT_EQ(application().sendCommand(c.command, c.argument), c.ran);
        app.advance(1);
        EXPECT_TRUE(c.outcome(app));
    }
}

TEST_F(CommandChain, APageThatIsAlreadyShownHoldsItsOwnCommandBack) {
    const std::pair<std::string_view, std::function<bool(PageHarness&)>> cases[] = {
        {names::kOpenFavourites, onTop<LovePage>},
        {names::kOpenInfo, onTop<InfoPage>},
        {names::kFind, onTop<SearchPage>},
    };
    for (const auto& [command, shown] : cases) {
        SCOPED_TRACE(std::string(command));
        while (app.depth() > 1) app.back();
        ASSERT_TRUE(application().sendCommand(command));
        app.advance(1);
        ASSERT_TRUE(shown(app));
        EXPECT_FALSE(application().commandState(command).enabled);
        EXPECT_FALSE(application().sendCommand(command));
        EXPECT_EQ(app.depth(), 2u) << "not pushed twice";
    }
}

TEST_F(CommandChain, TheFavouriteStateIsTheStoredMarkNotTheButtonsLook) {
    openPlayPage();
    auto* page = app.topAs<PlayPage>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(application().commandState(names::kToggleFavourite),
              (platform::CommandState{true, true, false}));
    ASSERT_TRUE(application().sendCommand(names::kToggleFavourite));
    // The badge flashes and the button keeps its Add look meanwhile.
    EXPECT_EQ(pagetest::rightSystemItem(*page), 4);
    EXPECT_EQ(application().commandState(names::kToggleFavourite).checked, true);
    EXPECT_TRUE(Reference::boolForKey("1"));
    app.advance(PlayPage::kBadgeFlashLength);
    ASSERT_TRUE(application().sendCommand(names::kToggleFavourite));
    EXPECT_EQ(application().commandState(names::kToggleFavourite).checked, false);
}

TEST_F(CommandChain, WindowCommandsThatActThemselvesAreReachedByName) {
    int performed = 0;
    bool allowed = true;
    platform::WindowCommands commands;
    auto own = platform::WindowCommand::make("Own", "", [&](platform::HostServices& services) {
        ++performed;
        // Headless, the services say no to everything and draw at size 1.
        EXPECT_DOUBLE_EQ(services.zoom(), 1.0);
    });
    own.name = "own";
    own.enabled = [&] { return allowed; };
    commands.add(std::move(own));
    commands.add(platform::WindowCommand::routed("Play", "Space", std::string(names::kPlay)));
    platform::WindowCommands::setApplicationCommands(std::move(commands));

    EXPECT_TRUE(application().sendCommand("own"));
    allowed = false;
    EXPECT_FALSE(application().sendCommand("own"));
    EXPECT_EQ(performed, 1);
    // A routed command is not an action of its own: it does not answer itself.
    EXPECT_FALSE(application().sendCommand(names::kPlay));
    EXPECT_FALSE(application().commandState(names::kPlay).enabled);
}

}  // namespace
