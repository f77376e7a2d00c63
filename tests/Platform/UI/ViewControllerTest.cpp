#include "PageTestSupport.h"

#include "Platform/Foundation/Log.h"
#include "Platform/UI/ImageView.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using platform::LogCapture;
using platform::ViewController;
using uitest::PlainPage;
using uitest::RecordingPage;

const char* const kFullPage = R"(
  <View id="view" frame="0,0,320,436" backgroundColor="#fff">
    <Label outlet="titleLabel" frame="20,20,280,40" text="Hello"/>
    <View outlet="panel" frame="30,-60,260,50">
      <Switch outlet="toggle" action="onToggle" frame="10,10,60,30"/>
    </View>
    <Button outlet="button" frame="110,100,100,100" action="onTap" accessibilityName="Play"/>
    <TableView outlet="table" frame="0,150,320,200" dataSource="owner" delegate="owner"/>
    <WebView outlet="banner" frame="0,366,320,50" delegate="owner"/>
  </View>)";

TEST(ViewControllerTest, MakesThePageFromItsLayoutAndConnectsEveryOutletActionAndDelegate) {
    auto bundle =
        uitest::makeBundle({{"Full.layout", uitest::pageLayout("RecordingPage", kFullPage)}});
    auto page = ViewController::initWithNibName<RecordingPage>("Full", bundle);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->nibName(), "Full");

    // The tree is built and connected at once; the view counts as loaded at first need.
    EXPECT_FALSE(page->isViewLoaded());
    EXPECT_TRUE(uitest::events().empty());
    auto view = page->view();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(page->isViewLoaded());
    EXPECT_EQ(uitest::events(), std::vector<std::string>{"page:viewDidLoad"});
    EXPECT_EQ(page->view(), view);
    EXPECT_EQ(uitest::events().size(), 1u) << "viewDidLoad runs once per load";

    const struct {
        const char* outlet;
        std::shared_ptr<platform::View> connected;
        const char* type;
    } outlets[] = {
        {"titleLabel", page->titleLabel, "Label"}, {"panel", page->panel, "View"},
        {"toggle", page->toggle, "Switch"},        {"button", page->button, "Button"},
        {"table", page->table, "TableView"},       {"banner", page->banner, "WebView"},
    };
    for (const auto& outlet : outlets) {
        ASSERT_NE(outlet.connected, nullptr) << outlet.outlet;
        EXPECT_EQ(outlet.connected->typeName(), outlet.type) << outlet.outlet;
        // Each outlet is a view of this page's tree.
        const platform::View* root = outlet.connected.get();
        while (root->superview() != nullptr) root = root->superview();
        EXPECT_EQ(root, view.get()) << outlet.outlet;
    }
    EXPECT_EQ(page->toggle->superview(), page->panel.get());
    EXPECT_EQ(page->titleLabel->text(), "Hello");

    page->button->sendActions();
    page->toggle->toggle();
    EXPECT_EQ(page->taps, 1);
    EXPECT_EQ(page->toggles, 1);

    page->rows = 2;
    page->table->reloadData();
    EXPECT_EQ(page->table->numberOfRowsInSection(0), 2);
    page->table->tapRowAtIndexPath({0, 1});
    page->onSelect = [](RecordingPage& self, platform::TableView&, platform::IndexPath path) {
        self.taps += 10 * (path.row + 1);
    };
    page->table->tapRowAtIndexPath({0, 1});
    EXPECT_EQ(page->taps, 21);

    auto url = platform::URL::URLWithString("http://example.com/");
    ASSERT_TRUE(url);
    page->banner->loadRequest(platform::URLRequest(*url));
    EXPECT_EQ(page->webViewQuestions, 1);
}

// Each broken layout gives no page and exactly one log line naming the file
// and the problem.
TEST(ViewControllerTest, ABrokenLayoutGivesNoPageAndOneLogLineNamingFileAndProblem) {
    const struct {
        const char* name;
        const char* contents;  // null: no file at all
        const char* problem;   // a part of the log line
    } cases[] = {
        {"Missing", nullptr, "not found"},
        {"Empty", "", "malformed XML"},
        {"Malformed", "<layout owner=\"RecordingPage\"><View></layout>", "malformed XML"},
        {"NotALayout", "<page><View/></page>", "not <layout>"},
        {"UnknownRootAttribute", "<layout size=\"1\"><View/></layout>",
         "unknown attribute \"size\""},
        {"NoView", "<layout owner=\"RecordingPage\"></layout>", "exactly one view"},
        {"TwoViews", "<layout><View/><View/></layout>", "exactly one view"},
        {"UnknownType", "<layout><View><Lable/></View></layout>", "unknown view type <Lable>"},
        {"WindowInPage", "<layout><Window/></layout>", "unknown view type <Window>"},
        {"UnknownAttribute", "<layout><View><Label colour=\"#000\"/></View></layout>",
         "unknown attribute \"colour\""},
        {"AttributeOfAnotherType", "<layout><Label image=\"a.png\"/></layout>",
         "unknown attribute \"image\""},
        {"ContentSizeOnTable", "<layout><TableView contentSize=\"1,1\"/></layout>",
         "unknown attribute \"contentSize\""},
        {"UnknownOutlet", "<layout><View><Label outlet=\"subtitle\"/></View></layout>",
         "no outlet \"subtitle\""},
        {"WrongOutletType", "<layout><View><Label outlet=\"table\"/></View></layout>",
         "cannot take a Label"},
        {"OutletTwice",
         "<layout><View><Label outlet=\"titleLabel\"/><Label "
         "outlet=\"titleLabel\"/></View></layout>",
         "connected twice"},
        {"UnknownAction", "<layout><Button action=\"onPlay\"/></layout>", "no action \"onPlay\""},
        {"ActionOnLabel", "<layout><Label action=\"onTap\"/></layout>",
         "unknown attribute \"action\""},
        {"DataSourceNotOwner", "<layout><TableView dataSource=\"table\"/></layout>",
         "only \"owner\""},
        {"OwnerMismatch", "<layout owner=\"PlayPage\"><View/></layout>", "owner \"PlayPage\""},
        {"BadColour", "<layout><View backgroundColor=\"red\"/></layout>",
         "\"red\" for backgroundColor"},
        {"BadFrame", "<layout><View frame=\"0,0,320\"/></layout>", "for frame"},
        {"NegativeSize", "<layout><View frame=\"0,0,-1,10\"/></layout>", "for frame"},
        {"AlphaAboveOne", "<layout><View alpha=\"1.5\"/></layout>", "for alpha"},
        {"BadBool", "<layout><View hidden=\"yes\"/></layout>", "for hidden"},
        {"BadAlignment", "<layout><Label alignment=\"middle\"/></layout>", "for alignment"},
        {"BadStyle", "<layout><Button style=\"round\"/></layout>", "for style"},
        {"BadLines", "<layout><Label lines=\"-1\"/></layout>", "for lines"},
        {"Text", "<layout><View>Hello</View></layout>", "text is not allowed"},
        {"CDATA", "<layout><View><![CDATA[x]]></View></layout>", "text is not allowed"},
    };
    for (const auto& broken : cases) {
        SCOPED_TRACE(broken.name);
        std::string file = std::string(broken.name) + ".layout";
        auto bundle = uitest::makeBundle({});
        if (broken.contents != nullptr)
            sbtest::writeFile(bundle->bundlePath() / file, broken.contents);

        LogCapture log;
        auto page = ViewController::initWithNibName<RecordingPage>(broken.name, bundle);
        EXPECT_EQ(page, nullptr);
        auto lines = log.messages();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find(file), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(broken.problem), std::string::npos) << lines[0];
    }
}

// The default action a layout marks is pressed through the control that sends
// it (so a disabled button still refuses), or called when no control sends it.
TEST(ViewControllerTest, TheLayoutsDefaultActionIsPressedThroughItsControl) {
    const struct {
        const char* name;
        const char* root;  // attributes of <layout>
        const char* body;
        bool enabled;
        std::optional<std::string> answer;  // what performDefaultAction returns
        int taps;                           // onTap calls it made
        int toggles;
    } cases[] = {
        {"none", "", R"(<View><Button action="onTap" accessibilityName="Go"/></View>)", true,
         std::nullopt, 0, 0},
        {"button", R"(defaultAction="onTap")",
         R"(<View><Button action="onToggle" accessibilityName="Other"/>
            <Button id="go" action="onTap" accessibilityName="Go"/>
            <Button action="onTap" accessibilityName="Second"/></View>)",
         true, "Go", 1, 0},
        {"disabled button", R"(defaultAction="onTap")",
         R"(<View><Button id="go" action="onTap" accessibilityName="Go"/></View>)", false, "Go", 0,
         0},
        {"switch", R"(defaultAction="onToggle")",
         R"(<View><Switch action="onToggle" accessibilityName="Vibrate"/></View>)", true, "Vibrate",
         0, 1},
        {"no control", R"(defaultAction="onTap")", "<View/>", true, "", 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string layout = std::string("<layout ") + c.root + ">" + c.body + "</layout>";
        auto bundle = uitest::makeBundle({{"Default.layout", layout}});
        auto page = ViewController::initWithNibName<RecordingPage>("Default", bundle);
        ASSERT_NE(page, nullptr);
        auto view = page->view();
        if (auto go = std::dynamic_pointer_cast<platform::Button>(view->findView("go"))) {
            go->setEnabled(c.enabled);
        }
        EXPECT_EQ(page->performDefaultAction(), c.answer);
        EXPECT_EQ(page->taps, c.taps);
        EXPECT_EQ(page->toggles, c.toggles);
    }
}

TEST(ViewControllerTest, ADefaultActionTheOwnerDoesNotDeclareFailsTheLayout) {
    auto bundle = uitest::makeBundle(
        {{"Default.layout", R"(<layout defaultAction="onPlay"><View/></layout>)"}});
    LogCapture log;
    EXPECT_EQ(ViewController::initWithNibName<RecordingPage>("Default", bundle), nullptr);
    const auto lines = log.messages();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].ends_with(
        R"(Default.layout: class RecordingPage has no action "onPlay" on <layout>)"))
        << lines[0];
}

TEST(ViewControllerTest, AReloadedViewPressesTheDefaultControlOfTheNewTree) {
    auto bundle = uitest::makeBundle({{"Default.layout", R"(<layout defaultAction="onTap">
        <View><Button id="go" action="onTap" accessibilityName="Go"/></View></layout>)"}});
    auto page = ViewController::initWithNibName<RecordingPage>("Default", bundle);
    ASSERT_NE(page, nullptr);
    auto first = page->view()->findView("go");
    page->didReceiveMemoryWarning();  // not on screen: the view goes
    ASSERT_FALSE(page->isViewLoaded());
    auto second = std::dynamic_pointer_cast<platform::Button>(page->view()->findView("go"));
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    second->setEnabled(false);
    EXPECT_EQ(page->performDefaultAction(), std::optional<std::string>("Go"));
    EXPECT_EQ(page->taps, 0) << "the new tree's (disabled) button was pressed";
}

TEST(ViewControllerTest, ADelegateAttributeNeedsAnOwnerOfThatInterface) {
    const struct {
        const char* element;
        const char* interface;
    } cases[] = {
        {R"(<TableView dataSource="owner"/>)", "table data source"},
        {R"(<TableView delegate="owner"/>)", "table delegate"},
        {R"(<WebView delegate="owner"/>)", "web view delegate"},
    };
    for (const auto& attempt : cases) {
        SCOPED_TRACE(attempt.element);
        auto bundle =
            uitest::makeBundle({{"Plain.layout", uitest::pageLayout("", attempt.element)}});
        LogCapture log;
        EXPECT_EQ(ViewController::initWithNibName<PlainPage>("Plain", bundle), nullptr);
        ASSERT_EQ(log.messages().size(), 1u);
        EXPECT_NE(log.messages()[0].find(attempt.interface), std::string::npos)
            << log.messages()[0];
        // The same element is fine for a page that answers the table and the web view.
        EXPECT_NE(ViewController::initWithNibName<RecordingPage>("Plain", bundle), nullptr);
    }
}

TEST(ViewControllerTest, AFailedLoadConnectsNothingToThePage) {
    // The outlet comes first in the file; the unknown action after it fails the load.
    auto bundle = uitest::makeBundle({{"Late.layout", uitest::pageLayout("", R"(
        <View><Label outlet="titleLabel"/><Button outlet="button" action="onPlay"/></View>)")}});
    auto page = std::make_shared<RecordingPage>();
    LogCapture log;
    EXPECT_FALSE(
        page->loadLayout("Late", bundle, platform::LayoutRegistry::infoFor<RecordingPage>()));
    EXPECT_EQ(page->titleLabel, nullptr);
    EXPECT_EQ(page->button, nullptr);
    EXPECT_EQ(log.messages().size(), 1u);
}

TEST(ViewControllerTest, TheOwnerMayBeTheClassNameOrARegisteredNameOfTheSameClass) {
    platform::LayoutRegistry::registerClass<RecordingPage>("Recorder");
    platform::LayoutRegistry::registerClass<PlainPage>("Plain");
    const struct {
        const char* owner;
        bool loads;
    } cases[] = {
        {"RecordingPage", true}, {"Recorder", true}, {"", true},
        {"Plain", false},        {"Unknown", false},
    };
    for (const auto& attempt : cases) {
        SCOPED_TRACE(attempt.owner);
        auto bundle = uitest::makeBundle({{"Owned.layout", uitest::plainLayout(attempt.owner)}});
        LogCapture log;
        auto page = ViewController::initWithNibName<RecordingPage>("Owned", bundle);
        EXPECT_EQ(page != nullptr, attempt.loads);
        EXPECT_EQ(log.messages().size(), attempt.loads ? 0u : 1u);
    }
}

TEST(ViewControllerTest, WithoutABundleTheLayoutComesFromTheMainBundle) {
    auto folder = uitest::writeBundleFolder({{"Main.layout", uitest::plainLayout()}}, "main");
    platform::Bundle::setMainBundlePath(folder);
    EXPECT_NE(ViewController::initWithNibName<RecordingPage>("Main"), nullptr);
    LogCapture log;
    EXPECT_EQ(ViewController::initWithNibName<RecordingPage>("Other"), nullptr);
    EXPECT_EQ(log.messages().size(), 1u);
    // A name cannot reach outside the bundle.
    sbtest::writeFile(folder.parent_path() / "Outside.layout", uitest::plainLayout());
    EXPECT_EQ(ViewController::initWithNibName<RecordingPage>("../Outside"), nullptr);
}

TEST(ViewControllerTest, ControlsAndDelegatesHoldThePageWeakly) {
    auto bundle = uitest::makeBundle({{"Full.layout", uitest::pageLayout("", kFullPage)}});
    auto page = ViewController::initWithNibName<RecordingPage>("Full", bundle);
    ASSERT_NE(page, nullptr);
    page->view();
    std::weak_ptr<RecordingPage> watchedPage = page;
    std::weak_ptr<platform::View> watchedView = page->view();
    auto button = page->button;  // a control that outlives its page
    auto table = page->table;

    page = nullptr;
    EXPECT_TRUE(watchedPage.expired());
    EXPECT_TRUE(watchedView.expired()) << "a subview does not keep its superview";
    button->sendActions();  // the target is gone: nothing happens
    table->reloadData();    // the data source is gone: an empty table
    EXPECT_EQ(table->numberOfSections(), 0);
}

TEST(ViewControllerTest, SetTitleSetsThePageAndNavigationItemTitles) {
    auto page = std::make_shared<PlainPage>();
    for (const char* title : {"Info", "", "Ünïcode & <marks>"}) {
        page->setTitle(title);
        EXPECT_EQ(page->title(), title);
        EXPECT_EQ(page->navigationItem().title(), title);
    }
}

TEST(ViewControllerTest, APageMadeInCodeGetsAnEmptyViewOrTheOneItWasGiven) {
    auto plain = std::make_shared<RecordingPage>();
    auto& made = plain->view();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->frame(), ViewController::kDefaultViewFrame);
    EXPECT_TRUE(made->subviews().empty());

    auto given = std::make_shared<RecordingPage>();
    given->name = "given";
    auto view = std::make_shared<platform::View>(platform::Rect{0, 0, 10, 10});
    given->setView(view);
    EXPECT_FALSE(given->isViewLoaded());
    EXPECT_EQ(given->view(), view);
    EXPECT_EQ(uitest::events(),
              (std::vector<std::string>{"page:viewDidLoad", "given:viewDidLoad"}));
}

TEST(ViewControllerTest, AMemoryWarningUnloadsAViewOffScreenAndTheNextNeedReloadsTheLayout) {
    auto bundle = uitest::makeBundle({{"Full.layout", uitest::pageLayout("", kFullPage)}});
    auto page = ViewController::initWithNibName<RecordingPage>("Full", bundle);
    ASSERT_NE(page, nullptr);
    std::weak_ptr<platform::View> firstView = page->view();
    std::weak_ptr<platform::Label> firstLabel = page->titleLabel;

    page->didReceiveMemoryWarning();
    EXPECT_FALSE(page->isViewLoaded());
    EXPECT_EQ(uitest::events(),
              (std::vector<std::string>{"page:viewDidLoad", "page:viewDidUnload"}));

    auto reloaded = page->view();
    EXPECT_TRUE(firstView.expired());
    EXPECT_TRUE(firstLabel.expired()) << "the outlet now points into the new tree";
    ASSERT_NE(page->titleLabel, nullptr);
    EXPECT_EQ(page->titleLabel->superview(), reloaded.get());
    EXPECT_EQ(uitest::events().back(), "page:viewDidLoad");

    // On screen (in the key window), the view stays.
    auto window = std::make_shared<platform::Window>(platform::Rect{0, 0, 320, 480});
    window->addSubview(reloaded);
    window->makeKeyAndVisible();
    EXPECT_TRUE(page->isViewOnScreen());
    page->didReceiveMemoryWarning();
    EXPECT_TRUE(page->isViewLoaded());
    EXPECT_EQ(page->view(), reloaded);
}

}  // namespace
