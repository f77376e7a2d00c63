#include "Classes/Catalogue/Catalogue.h"
#include "Classes/InfoPage.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "PageHarness.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/RunLoop.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using pagetest::PageHarness;

const char* const kCatalogue =
    "<Sounds>\n"
    "  <DT title=\"Only\">\n"
    "    <DS audio_no=\"007\" label=\"Bond\"/>\n"
    "    <DS audio_no=\"7\" label=\"Seven\"/>\n"
    "    <DS audio_no=\"../../x\" label=\"Escape\"/>\n"
    "    <DS audio_no=\"/etc/passwd\" label=\"Absolute\"/>\n"
    "    <DS audio_no=\"missing\" label=\"No file\"/>\n"
    "    <DS label=\"No number\"/>\n"
    "  </DT>\n"
    "</Sounds>\n";

// Opens the play page of row `row` of the main page.
PlayPage& open(PageHarness& app, int row) {
    app.mainPage().RootTable->tapRowAtIndexPath({0, row});
    auto* page = app.topAs<PlayPage>();
    if (page == nullptr) throw std::runtime_error("no play page");
    return *page;
}

class PlayPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pagetest::useBundle(pagetest::makeBundle(kCatalogue, {"007", "7"}));
        app.launch();
    }
    PageHarness app;
};

TEST_F(PlayPageTest, ShowsTheEntryAndRegistersItsSound) {
    auto& page = open(app, 0);
    EXPECT_EQ(page.title(), "Bond");
    EXPECT_EQ(page.navigationItem().title(), "Bond");
    ASSERT_TRUE(page.tlabel);
    EXPECT_EQ(page.tlabel->text(), "Bond");
    EXPECT_EQ(std::filesystem::path(page.sndPath).filename(), "007.aiff");
    ASSERT_TRUE(page.baseURL);
    EXPECT_TRUE(page.baseURL->isFileURL());
    EXPECT_EQ(page.baseURL->path(), page.sndPath);
    EXPECT_NE(page.m_sndID, 0u);
    EXPECT_EQ(pagetest::rightSystemItem(page), platform::kBarButtonSystemItemAdd);
    EXPECT_FALSE(page.saving);
}

TEST_F(PlayPageTest, PlayVibratesOnlyWithTheFlagReadAtEveryTap) {
    auto& page = open(app, 0);
    struct Case {
        std::optional<bool> flag;  // none: never stored
        int vibrations;
    };
    const Case cases[] = {{std::nullopt, 0}, {false, 0}, {true, 1}, {false, 0}};
    for (const auto& c : cases) {
        if (c.flag) Reference::setBool(*c.flag, "vibrate");
        auto plays = platform::playCount();
        auto vibrations = platform::vibrationCount();
        pagetest::button(page, "Play").sendActions();
        EXPECT_EQ(platform::playCount(), plays + 1);
        EXPECT_EQ(platform::vibrationCount(), vibrations + static_cast<unsigned>(c.vibrations));
    }
}

TEST_F(PlayPageTest, FavouriteButtonAndBadgeFollowTheFlashTimeline) {
    auto& page = open(app, 0);
    ASSERT_TRUE(page.loveImage);
    auto& badge = *page.loveImage;
    struct Instant {
        double at;
        int button;
        bool saving;
        double alpha;
    };
    const Instant adding[] = {
        {0.0, platform::kBarButtonSystemItemAdd, true, 0.0},
        {0.1, platform::kBarButtonSystemItemAdd, true, 0.5},
        {0.2, platform::kBarButtonSystemItemAdd, true, 1.0},
        {1.39, platform::kBarButtonSystemItemAdd, true, 1.0},
        {1.4, platform::kBarButtonSystemItemTrash, false, 1.0},
        {1.5, platform::kBarButtonSystemItemTrash, false, 0.5},
        {1.6, platform::kBarButtonSystemItemTrash, false, 0.0},
        {3.0, platform::kBarButtonSystemItemTrash, false, 0.0},
    };
    const Instant removing[] = {
        {0.0, platform::kBarButtonSystemItemTrash, true, 0.0},
        {0.2, platform::kBarButtonSystemItemTrash, true, 1.0},
        {1.4, platform::kBarButtonSystemItemAdd, false, 1.0},
        {1.6, platform::kBarButtonSystemItemAdd, false, 0.0},
    };
    struct Flash {
        const Instant* begin;
        const Instant* end;
        bool mark;
        const char* badgeImage;
    };
    const Flash flashes[] = {{std::begin(adding), std::end(adding), true, "LoveAdd.png"},
                             {std::begin(removing), std::end(removing), false, "LoveRemove.png"}};
    for (const auto& flash : flashes) {
        double start = app.now();
        page.navigationItem().rightBarButtonItem()->tap();
        // Stored at the tap, before the badge shows.
        EXPECT_EQ(Reference::boolForKey("007"), flash.mark);
        EXPECT_FALSE(Reference::boolForKey("7"));
        ASSERT_TRUE(badge.image());
        EXPECT_EQ(badge.image()->name(), flash.badgeImage);
        for (const auto* instant = flash.begin; instant != flash.end; ++instant) {
            app.advance(start + instant->at - app.now());
            EXPECT_EQ(pagetest::rightSystemItem(page), instant->button) << instant->at;
            EXPECT_EQ(page.saving, instant->saving) << instant->at;
            EXPECT_NEAR(badge.presentationAlpha(), instant->alpha, 0.01) << instant->at;
        }
    }
}

TEST_F(PlayPageTest, TapsDuringAFlashAreIgnored) {
    auto& page = open(app, 0);
    auto addButton = page.navigationItem().rightBarButtonItem();
    addButton->tap();
    EXPECT_EQ(platform::RunLoop::main().pendingTimerCount(), 1u);
    // Wipe the mark behind the page's back: a second write would restore it.
    Reference::setBool(false, "007");
    for (double at : {0.1, 0.7, 1.3}) {
        app.advance(at - app.now());
        addButton->tap();
        page.rightAction1();
        page.rightAction2();
        EXPECT_FALSE(Reference::boolForKey("007")) << at;
        EXPECT_EQ(platform::RunLoop::main().pendingTimerCount(), 1u) << at;
        EXPECT_EQ(page.loveImage->image()->name(), "LoveAdd.png");
    }
    app.advance(1.4 - app.now());
    // The rebuilt button shows what is stored now.
    EXPECT_EQ(pagetest::rightSystemItem(page), platform::kBarButtonSystemItemAdd);
    EXPECT_EQ(platform::RunLoop::main().pendingTimerCount(), 0u);
    page.navigationItem().rightBarButtonItem()->tap();
    EXPECT_TRUE(Reference::boolForKey("007"));
}

TEST_F(PlayPageTest, MarksAreKeptApartByTheirExactText) {
    Reference::setBool(true, "7");
    auto& bond = open(app, 0);
    EXPECT_EQ(pagetest::rightSystemItem(bond), platform::kBarButtonSystemItemAdd);
    app.back();
    auto& seven = open(app, 1);
    EXPECT_EQ(pagetest::rightSystemItem(seven), platform::kBarButtonSystemItemTrash);
    EXPECT_EQ(std::filesystem::path(seven.sndPath).filename(), "7.aiff");
}

TEST_F(PlayPageTest, APagePoppedMidFlashGetsItsCallThenGoes) {
    auto& page = open(app, 0);
    std::weak_ptr<platform::ViewController> watched = app.navigation().viewControllers().back();
    auto soundID = page.m_sndID;
    auto entry = page.curData;
    page.navigationItem().rightBarButtonItem()->tap();
    app.advance(0.5);
    auto* pageAddress = &page;
    app.back();
    ASSERT_FALSE(watched.expired());  // held by the pending call
    EXPECT_TRUE(pageAddress->saving);
    app.advance(1.39 - app.now());
    ASSERT_FALSE(watched.expired());
    EXPECT_EQ(pagetest::rightSystemItem(*pageAddress), platform::kBarButtonSystemItemAdd);
    app.advance(1.4 - app.now());
    EXPECT_TRUE(watched.expired());
    EXPECT_TRUE(Reference::boolForKey("007"));
    EXPECT_EQ(Catalogue::audioNumber(*entry), "007");
    // Its sound was disposed with it: the id is unknown now.
    EXPECT_NE(platform::AudioServicesDisposeSystemSoundID(soundID),
              platform::kAudioServicesNoError);
}

TEST_F(PlayPageTest, EntriesWithoutASoundInTheBundleStillWork) {
    struct Case {
        int row;
        const char* label;
        const char* key;
    };
    const Case cases[] = {
        {2, "Escape", "../../x"},
        {3, "Absolute", "/etc/passwd"},
        {4, "No file", "missing"},
        {5, "No number", ""},
    };
    for (const auto& c : cases) {
        auto& page = open(app, c.row);
        EXPECT_EQ(page.m_sndID, 0u) << c.label;
        EXPECT_EQ(page.sndPath, "") << c.label;
        EXPECT_FALSE(page.baseURL) << c.label;
        EXPECT_EQ(page.tlabel->text(), c.label);
        auto plays = platform::playCount();
        pagetest::button(page, "Play").sendActions();
        EXPECT_EQ(platform::playCount(), plays) << c.label;
        page.navigationItem().rightBarButtonItem()->tap();
        EXPECT_TRUE(Reference::boolForKey(c.key)) << c.label;
        app.advance(1.6);
        EXPECT_EQ(pagetest::rightSystemItem(page), platform::kBarButtonSystemItemTrash);
        std::weak_ptr<platform::ViewController> watched = app.navigation().viewControllers().back();
        app.back();
        EXPECT_TRUE(watched.expired()) << c.label;
    }
}

TEST_F(PlayPageTest, InfoLeadsOnAndBackToTheSamePage) {
    auto& page = open(app, 0);
    int loads = page.Ad->loadCount();
    auto entry = page.curData;
    pagetest::button(page, "Info").sendActions();
    ASSERT_TRUE(app.topAs<InfoPage>());
    EXPECT_EQ(app.depth(), 3u);
    app.back();
    ASSERT_EQ(app.topAs<PlayPage>(), &page);
    EXPECT_EQ(page.curData, entry);
    // The banner starts afresh on every appearance.
    EXPECT_EQ(page.Ad->loadCount(), loads + 1);
}

TEST_F(PlayPageTest, WithoutAnInfoLayoutNothingIsPushed) {
    std::filesystem::remove(platform::Bundle::mainBundle()->bundlePath() / "InfoPage.layout");
    auto& page = open(app, 0);
    page.toInfoPage();
    EXPECT_EQ(app.topAs<PlayPage>(), &page);
}

TEST(PlayPageAloneTest, APageNeverHandedAnEntryDisposesNothing) {
    PageHarness app;
    auto page = platform::ViewController::initWithNibName<PlayPage>("PlayPage");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->m_sndID, 0u);
    page->pushData(nullptr);
    EXPECT_EQ(page->m_sndID, 0u);
    EXPECT_EQ(page->title(), "");
    page->onPlay();
    page.reset();
}

}  // namespace

namespace {

// On a board, whose catalogue comes from anyone, an entry numbered "vibrate"
// would share its mark with the vibration flag: it gets no mark at all.
TEST(PlayPageOnABoardTest, AnEntryNumberedVibrateGetsNoMarkAndLeavesTheVibrationFlag) {
    namespace fs = std::filesystem;
    const fs::path board = sbtest::tempDir() / "board";
    sbtest::writeFile(board / "Data.XML",
                      "<S><DT title=\"A\"><DS audio_no=\"vibrate\" label=\"Buzz\"/></DT></S>");
    fs::copy_file(sbtest::sourceBundle() / "001.aiff", board / "vibrate.aiff");
    pagetest::useBundle(board);
    PageHarness app;
    app.launch();
    ASSERT_TRUE(platform::Bundle::mainBundle()->applicationBundle());

    auto& page = open(app, 0);
    page.rightAction1();
    app.advance(2.0);
    EXPECT_FALSE(Reference::boolForKey("vibrate"));
    EXPECT_EQ(pagetest::rightSystemItem(page), platform::kBarButtonSystemItemAdd);

    Reference::setBool(true, "vibrate");
    app.back();
    auto& again = open(app, 0);
    EXPECT_EQ(pagetest::rightSystemItem(again), platform::kBarButtonSystemItemAdd);
    again.rightAction2();
    EXPECT_TRUE(Reference::boolForKey("vibrate"));
}

}  // namespace
