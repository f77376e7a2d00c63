#include "Classes/Catalogue/Catalogue.h"
#include "Classes/InfoPage.h"
#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "PageHarness.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

namespace {

using pagetest::PageHarness;

const char* const kCatalogue =
    "<Sounds>\n"
    "  <DT title=\"One\">\n"
    "    <DS audio_no=\"1\" label=\"A\"/><DS audio_no=\"2\" label=\"B &amp; &lt;b&gt;\"/>\n"
    "    <DS audio_no=\"3\" label=\"C\"/><DS audio_no=\"../x\" label=\"Outside\"/>\n"
    "  </DT>\n"
    "  <DT title=\"Two\"><DS audio_no=\"4\" label=\"D\"/><DS audio_no=\"1\" label=\"A "
    "again\"/></DT>\n"
    "  <DT title=\"Three\"/>\n"
    "  <DT title=\"Four\"><DS audio_no=\"5\" label=\"E\"/></DT>\n"
    "</Sounds>\n";

char kind(const platform::ViewController* page) {
    if (dynamic_cast<const MainPage*>(page)) return 'M';
    if (dynamic_cast<const LovePage*>(page)) return 'L';
    if (dynamic_cast<const PlayPage*>(page)) return 'P';
    if (dynamic_cast<const InfoPage*>(page)) return 'I';
    return '?';
}

int markedEntries(const std::shared_ptr<SPXMLElement>& catalogue) {
    int count = 0;
    for (int s = 0; s < Catalogue::categoryCount(catalogue); ++s) {
        for (int r = 0; r < Catalogue::soundCount(catalogue, s); ++r) {
            auto entry = Catalogue::soundEntryAt(catalogue, s, r);
            if (entry && Reference::boolForKey(Catalogue::audioNumber(*entry))) ++count;
        }
    }
    return count;
}

int rowCount(platform::TableView& table) {
    int rows = 0;
    for (int s = 0; s < table.numberOfSections(); ++s) rows += table.numberOfRowsInSection(s);
    return rows;
}

class Monkey {
  public:
    explicit Monkey(PageHarness& app) : m_app(app), m_random(20240611u) {}

    void step() {
        auto* top = m_app.top();
        switch (pick(12)) {
            case 0:
                m_app.advance(pick(2000) / 1000.0);
                return;
            case 1:
                back();
                return;
            case 2:
                tapBanner(top);
                return;
            default:
                break;
        }
        ++m_actions[kind(top)];
        if (auto* main = dynamic_cast<MainPage*>(top)) {
            switch (pick(4)) {
                case 0:
                    main->RootTable->tapRowAtIndexPath({pick(2) - 0, pick(7) - 1});
                    break;
                case 1:
                    main->navigationItem().leftBarButtonItem()->tap();
                    break;
                case 2:
                    main->navigationItem().rightBarButtonItem()->tap();
                    break;
                default:
                    main->vibeSwitch->toggle();
                    break;
            }
        } else if (auto* love = dynamic_cast<LovePage*>(top)) {
            love->LoveTable->tapRowAtIndexPath({pick(5), pick(3)});
        } else if (auto* play = dynamic_cast<PlayPage*>(top)) {
            switch (pick(3)) {
                case 0:
                    pagetest::button(*play, "Play").sendActions();
                    break;
                case 1:
                    play->navigationItem().rightBarButtonItem()->tap();
                    break;
                default:
                    pagetest::button(*play, "Info").sendActions();
                    break;
            }
        } else if (auto* info = dynamic_cast<InfoPage*>(top)) {
            const char* controls[] = {"Farland", "Brisel", "Twitter"};
            m_app.openSucceeds = pick(2) == 0;
            pagetest::button(*info, controls[pick(3)]).sendActions();
        }
    }

    void checkInvariants(const std::shared_ptr<SPXMLElement>& catalogue) {
        std::string shape;
        for (const auto& page : m_app.navigation().viewControllers()) shape += kind(page.get());
        static const std::set<std::string> valid = {"M", "MP", "MPI", "ML", "MLP", "MLPI"};
        ASSERT_TRUE(valid.contains(shape)) << shape;
        m_shapes.insert(shape);

        auto& main = m_app.mainPage();
        EXPECT_EQ(main.vibeSwitch->isOn(), Reference::boolForKey("vibrate"));
        EXPECT_EQ(main.optionView->frame().y, main.OVopen ? 0.0 : -60.0);

        for (const auto& page : m_app.navigation().viewControllers()) {
            auto* play = dynamic_cast<PlayPage*>(page.get());
            if (play == nullptr || play->saving) continue;
            bool marked = Reference::boolForKey(Catalogue::audioNumber(*play->curData));
            ASSERT_EQ(pagetest::rightSystemItem(*play), marked ? platform::kBarButtonSystemItemTrash
                                                               : platform::kBarButtonSystemItemAdd);
        }
        if (auto* love = m_app.topAs<LovePage>()) {
            ASSERT_EQ(rowCount(*love->LoveTable), markedEntries(catalogue));
        }
        for (const auto& [page, poppedAt] : m_popped) {
            // A pending flash holds a page at most 1.4 s after its tap.
            if (m_app.now() >= poppedAt + PlayPage::kBadgeFlashLength + 1e-9) {
                ASSERT_TRUE(page.expired()) << "popped at " << poppedAt;
            }
        }
        std::erase_if(m_popped, [](const auto& item) { return item.first.expired(); });
    }

    void finish() {
        m_app.advance(PlayPage::kBadgeFlashLength + 0.1);
        for (const auto& item : m_popped) EXPECT_TRUE(item.first.expired());
    }

    const std::set<std::string>& shapes() const { return m_shapes; }
    int actions(char pageKind) { return m_actions[pageKind]; }

  private:
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }

    void back() {
        if (m_app.depth() <= 1) return;
        m_popped.emplace_back(m_app.back(), m_app.now());
    }

    void tapBanner(platform::ViewController* top) {
        platform::WebView* banner = nullptr;
        if (auto* main = dynamic_cast<MainPage*>(top)) banner = main->Ad.get();
        if (auto* love = dynamic_cast<LovePage*>(top)) banner = love->Ad.get();
        if (auto* play = dynamic_cast<PlayPage*>(top)) banner = play->Ad.get();
        if (banner == nullptr) return;
        const char* urls[] = {"http://example.org/", "https://example.org/x", "HTTP://example.org/",
                              "ftp://example.org/", "/tmp/page.html"};
        m_app.openSucceeds = pick(2) == 0;
        auto url = platform::URL::URLWithString(urls[pick(5)]);
        banner->navigate(platform::URLRequest::requestWithURL(*url), pick(6));
    }

    PageHarness& m_app;
    std::mt19937 m_random;
    std::vector<std::pair<std::weak_ptr<platform::ViewController>, double>> m_popped;
    std::set<std::string> m_shapes;
    std::map<char, int> m_actions;
};

TEST(MonkeyTest, TenThousandRandomStepsKeepEveryInvariant) {
    pagetest::useBundle(pagetest::makeBundle(kCatalogue, {"1", "2", "3", "4", "5"}));
    auto catalogue = Catalogue::loadDocument();
    PageHarness app;
    app.launch();
    Monkey monkey(app);
    for (int step = 0; step < 10000; ++step) {
        monkey.step();
        monkey.checkInvariants(catalogue);
        if (::testing::Test::HasFatalFailure()) FAIL() << "at step " << step;
    }
    monkey.finish();
    // The walk reached every kind of stack and acted on every page.
    EXPECT_EQ(monkey.shapes().size(), 6u);
    for (char pageKind : {'M', 'L', 'P', 'I'}) EXPECT_GT(monkey.actions(pageKind), 50) << pageKind;
}

}  // namespace
