#include "PageTestSupport.h"

#include "Platform/Foundation/Log.h"
#include "Platform/UI/ImageView.h"
#include "Platform/UI/LayoutValues.h"
#include "Platform/UI/MainWindowLoader.h"
#include "Platform/UI/ScrollView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

using platform::Color;
using platform::LogCapture;
using platform::Rect;
using platform::ViewController;
using uitest::RecordingPage;
namespace values = platform::layoutvalues;

std::shared_ptr<platform::View> findIn(const std::shared_ptr<platform::View>& root,
                                       const char* id) {
    auto found = root->findView(id);
    EXPECT_NE(found, nullptr) << id;
    return found;
}

template <class T>
std::shared_ptr<T> findAs(const std::shared_ptr<platform::View>& root, const char* id) {
    auto typed = std::dynamic_pointer_cast<T>(findIn(root, id));
    EXPECT_NE(typed, nullptr) << id;
    return typed;
}

TEST(LayoutTest, ColoursAreReadInTheirThreeHexForms) {
    const struct {
        const char* text;
        std::optional<Color> expected;
    } cases[] = {
        {"#fff", Color{1, 1, 1, 1}},
        {"#000", Color{0, 0, 0, 1}},
        {"#f00", Color{1, 0, 0, 1}},
        {"#ff0000", Color{1, 0, 0, 1}},
        {"#FF000080", Color{1, 0, 0, 128.0f / 255.0f}},
        {"#336699", Color{0x33 / 255.0f, 0x66 / 255.0f, 0x99 / 255.0f, 1}},
        {"#abcdef00", Color{0xab / 255.0f, 0xcd / 255.0f, 0xef / 255.0f, 0}},
        {"", std::nullopt},
        {"#", std::nullopt},
        {"fff", std::nullopt},
        {"#ffff", std::nullopt},
        {"#fffff", std::nullopt},
        {"#fffffff", std::nullopt},
        {"#fffffffff", std::nullopt},
        {"#ggg", std::nullopt},
        {" #fff", std::nullopt},
        {"red", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(values::parseColor(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(LayoutTest, NumbersRectanglesAndFlagsAreReadStrictly) {
    const struct {
        const char* text;
        std::optional<Rect> expected;
    } rects[] = {
        {"0,0,320,436", Rect{0, 0, 320, 436}},
        {" 30 , -60 , 260 , 50 ", Rect{30, -60, 260, 50}},
        {"0.5,1e1,2.25,0", Rect{0.5, 10, 2.25, 0}},
        {"0,0,320", std::nullopt},
        {"0,0,320,436,1", std::nullopt},
        {"0,0,-1,1", std::nullopt},
        {"0,0,1,-1", std::nullopt},
        {"a,0,1,1", std::nullopt},
        {"0,,1,1", std::nullopt},
        {"nan,0,1,1", std::nullopt},
        {"inf,0,1,1", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : rects) EXPECT_EQ(values::parseRect(c.text), c.expected) << c.text;

    EXPECT_EQ(values::parseSize("320,650"), (platform::Size{320, 650}));
    EXPECT_EQ(values::parseSize("320"), std::nullopt);
    EXPECT_EQ(values::parseSize("-1,2"), std::nullopt);
    EXPECT_EQ(values::parseNumber("0.25"), 0.25);
    EXPECT_EQ(values::parseNumber("1x"), std::nullopt);
    EXPECT_EQ(values::parseNumber("1e999"), std::nullopt);
    EXPECT_EQ(values::parseCount("2"), 2);
    EXPECT_EQ(values::parseCount("1.5"), std::nullopt);
    EXPECT_EQ(values::parseCount("-1"), std::nullopt);
    EXPECT_EQ(values::parseCount("99999999999"), std::nullopt);
    EXPECT_EQ(values::parseBool("true"), true);
    EXPECT_EQ(values::parseBool("false"), false);
    EXPECT_EQ(values::parseBool("YES"), std::nullopt);
    EXPECT_EQ(values::parseBool("1"), std::nullopt);
}

TEST(LayoutTest, EveryAttributeOfEveryViewTypeReachesItsView) {
    const char* body = R"(
      <View id="root" frame="0,0,320,436" backgroundColor="#ffffff" clipsToBounds="true">
        <View id="plain" frame="1,2,3,4" alpha="0.5" hidden="true" accessibilityName="Plain"/>
        <Label id="label" text="Hi &amp; bye" fontSize="20" bold="true" alignment="center"
               textColor="#f00" lines="0"/>
        <Label id="rightLabel" alignment="right"/>
        <ImageView id="framed" frame="5,5,10,10" image="love.png"/>
        <ImageView id="sized" image="love.png"/>
        <ImageView id="missing" frame="0,0,10,10" image="absent.png"/>
        <Button id="button" title="Go" image="love.png" style="info" action="onTap"/>
        <Switch id="switch" on="true" action="onToggle"/>
        <ScrollView id="scroll" frame="0,0,320,400" contentSize="320,650">
          <Label id="inside" frame="0,600,320,20"/>
        </ScrollView>
        <TableView id="table" frame="0,0,320,300" style="grouped" rowHeight="50"
                   separatorColor="#ff00004d" dataSource="owner" delegate="owner"/>
        <WebView id="web" delegate="owner"/>
      </View>)";
    auto bundle = uitest::makeBundle({{"All.layout", uitest::pageLayout("RecordingPage", body)}});
    std::filesystem::copy_file(std::filesystem::path(SB_UI_SOURCE_BUNDLE) / "love.png",
                               bundle->bundlePath() / "love.png");
    auto page = ViewController::initWithNibName<RecordingPage>("All", bundle);
    ASSERT_NE(page, nullptr);
    auto root = page->view();

    EXPECT_EQ(root->layoutId(), "root");
    EXPECT_EQ(root->backgroundColor(), Color::whiteColor());
    EXPECT_TRUE(root->clipsToBounds());
    ASSERT_EQ(root->subviews().size(), 11u) << "subviews in document order";
    EXPECT_EQ(root->subviews().front()->layoutId(), "plain");
    EXPECT_EQ(root->subviews().back()->layoutId(), "web");

    auto plain = findIn(root, "plain");
    EXPECT_EQ(plain->frame(), (Rect{1, 2, 3, 4}));
    EXPECT_DOUBLE_EQ(plain->alpha(), 0.5);
    EXPECT_TRUE(plain->isHidden());
    EXPECT_EQ(plain->accessibilityName(), "Plain");
    EXPECT_FALSE(plain->backgroundColor().has_value());

    auto label = findAs<platform::Label>(root, "label");
    EXPECT_EQ(label->text(), "Hi & bye");
    EXPECT_DOUBLE_EQ(label->fontSize(), 20);
    EXPECT_TRUE(label->isBold());
    EXPECT_EQ(label->textAlignment(), platform::kTextAlignmentCenter);
    EXPECT_EQ(label->textColor(), (Color{1, 0, 0, 1}));
    EXPECT_EQ(label->numberOfLines(), 0);
    EXPECT_EQ(findAs<platform::Label>(root, "rightLabel")->textAlignment(),
              platform::kTextAlignmentRight);

    auto framed = findAs<platform::ImageView>(root, "framed");
    ASSERT_NE(framed->image(), nullptr);
    EXPECT_EQ(framed->frame(), (Rect{5, 5, 10, 10}));
    auto sized = findAs<platform::ImageView>(root, "sized");
    ASSERT_NE(sized->image(), nullptr);
    EXPECT_EQ(sized->frame().size(), sized->image()->size()) << "no frame: the image's size";
    EXPECT_EQ(findAs<platform::ImageView>(root, "missing")->image(), nullptr)
        << "a missing picture leaves the view empty";

    auto button = findAs<platform::Button>(root, "button");
    EXPECT_EQ(button->title(), "Go");
    EXPECT_NE(button->image(), nullptr);
    EXPECT_EQ(button->style(), "info");
    button->sendActions();
    EXPECT_EQ(page->taps, 1);

    auto toggle = findAs<platform::Switch>(root, "switch");
    EXPECT_TRUE(toggle->isOn());
    toggle->toggle();
    EXPECT_EQ(page->toggles, 1);

    auto scroll = findAs<platform::ScrollView>(root, "scroll");
    EXPECT_EQ(scroll->contentSize(), (platform::Size{320, 650}));
    EXPECT_EQ(findIn(root, "inside")->superview(), scroll.get());

    auto table = findAs<platform::TableView>(root, "table");
    EXPECT_EQ(table->style(), platform::kTableViewStyleGrouped);
    EXPECT_DOUBLE_EQ(table->rowHeight(), 50);
    EXPECT_EQ(table->separatorColor(), (Color{1, 0, 0, 0x4d / 255.0f}));
    table->reloadData();
    EXPECT_EQ(table->numberOfRowsInSection(0), page->rows);
}

// The whole problem text of each attribute a view type refuses, word for word:
// people search their logs for these lines.
TEST(LayoutTest, EveryRefusedAttributeReadsTheSameWholeLine) {
    const struct {
        const char* element;
        const char* problem;  // what follows "Layout <file>: "
    } cases[] = {
        {R"(<View colour="1"/>)", R"(unknown attribute "colour" on <View>)"},
        {R"(<View frame="1,2"/>)", R"(bad value "1,2" for frame on <View>)"},
        {R"(<View alpha="2"/>)", R"(bad value "2" for alpha on <View>)"},
        {R"(<View hidden="1"/>)", R"(bad value "1" for hidden on <View>)"},
        {R"(<View clipsToBounds="no"/>)", R"(bad value "no" for clipsToBounds on <View>)"},
        {R"(<View backgroundColor="red"/>)", R"(bad value "red" for backgroundColor on <View>)"},
        {R"(<View text="a"/>)", R"(unknown attribute "text" on <View>)"},
        {R"(<Label fontSize="0"/>)", R"(bad value "0" for fontSize on <Label>)"},
        {R"(<Label bold="yes"/>)", R"(bad value "yes" for bold on <Label>)"},
        {R"(<Label alignment="middle"/>)",
         R"(bad value "middle" for alignment (left, center or right) on <Label>)"},
        {R"(<Label textColor="#12"/>)", R"(bad value "#12" for textColor on <Label>)"},
        {R"(<Label lines="-1"/>)", R"(bad value "-1" for lines on <Label>)"},
        {R"(<Label image="a.png"/>)", R"(unknown attribute "image" on <Label>)"},
        {R"(<ImageView title="a"/>)", R"(unknown attribute "title" on <ImageView>)"},
        {R"(<Button style="round"/>)",
         R"(bad value "round" for style (rounded, info or custom) on <Button>)"},
        {R"(<Button action="onPlay"/>)",
         R"(class RecordingPage has no action "onPlay" on <Button>)"},
        {R"(<Button on="true"/>)", R"(unknown attribute "on" on <Button>)"},
        {R"(<Switch on="1"/>)", R"(bad value "1" for on on <Switch>)"},
        {R"(<Switch action="onPlay"/>)",
         R"(class RecordingPage has no action "onPlay" on <Switch>)"},
        {R"(<Switch title="a"/>)", R"(unknown attribute "title" on <Switch>)"},
        {R"(<ScrollView contentSize="1"/>)", R"(bad value "1" for contentSize on <ScrollView>)"},
        {R"(<ScrollView rowHeight="1"/>)", R"(unknown attribute "rowHeight" on <ScrollView>)"},
        {R"(<TableView style="list"/>)",
         R"(bad value "list" for style (plain or grouped) on <TableView>)"},
        {R"(<TableView rowHeight="0"/>)", R"(bad value "0" for rowHeight on <TableView>)"},
        {R"(<TableView separatorColor="x"/>)",
         R"(bad value "x" for separatorColor on <TableView>)"},
        {R"(<TableView dataSource="page"/>)",
         R"(bad value "page" for dataSource (only "owner") on <TableView>)"},
        {R"(<TableView contentSize="1,1"/>)", R"(unknown attribute "contentSize" on <TableView>)"},
        {R"(<WebView delegate="page"/>)",
         R"(bad value "page" for delegate (only "owner") on <WebView>)"},
        {R"(<WebView image="a.png"/>)", R"(unknown attribute "image" on <WebView>)"},
        {R"(<Label outlet="table"/>)",
         R"(outlet "table" of class RecordingPage cannot take a Label on <Label outlet="table">)"},
        {R"(<TableViewCell/>)", R"(unknown view type <TableViewCell>)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.element);
        auto bundle = uitest::makeBundle({{"Bad.layout", uitest::pageLayout("", c.element)}});
        LogCapture log;
        EXPECT_EQ(ViewController::initWithNibName<RecordingPage>("Bad", bundle), nullptr);
        const auto lines = log.messages();
        ASSERT_EQ(lines.size(), 1u);
        const std::string ending = std::string(".layout: ") + c.problem;
        EXPECT_TRUE(lines[0].ends_with(ending)) << lines[0];
    }
}

TEST(LayoutTest, TheMainWindowLayoutMakesAndConnectsDelegateWindowAndStack) {
    platform::LayoutRegistry::registerClass<uitest::RecordingDelegate>("RecordingDelegate");
    platform::LayoutRegistry::registerClass<RecordingPage>("RootPage");
    auto bundle = uitest::makeBundle({
        {"Root.layout", uitest::plainLayout("RootPage")},
        {"MainWindow.layout", R"(<?xml version="1.0"?>
<layout>
  <object id="delegate" class="RecordingDelegate" role="applicationDelegate"/>
  <Window id="window" frame="0,0,320,480" backgroundColor="#ffffff">
    <View id="underlay" frame="0,0,10,10"/>
  </Window>
  <NavigationController id="navigation">
    <page class="RootPage" layout="Root" title="Sounds"/>
  </NavigationController>
  <connect object="delegate" outlet="navigationController" to="navigation"/>
  <connect object="delegate" outlet="window" to="window"/>
</layout>)"},
    });
    LogCapture log;
    auto loaded = platform::MainWindowLoader::load("MainWindow", bundle);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_TRUE(log.messages().empty());

    auto delegate =
        std::dynamic_pointer_cast<uitest::RecordingDelegate>(loaded->applicationDelegate);
    ASSERT_NE(delegate, nullptr);
    EXPECT_EQ(loaded->object("delegate"), std::dynamic_pointer_cast<platform::Object>(delegate));
    ASSERT_NE(loaded->window, nullptr);
    EXPECT_EQ(delegate->window, loaded->window);
    EXPECT_EQ(loaded->window->frame(), (Rect{0, 0, 320, 480}));
    EXPECT_EQ(loaded->window->subviews().size(), 1u);
    ASSERT_EQ(loaded->navigationControllers.size(), 1u);
    auto navigation = loaded->navigationControllers.front();
    EXPECT_EQ(delegate->navigationController, navigation);
    EXPECT_EQ(loaded->object("navigation"), std::static_pointer_cast<platform::Object>(navigation));

    auto root = std::dynamic_pointer_cast<RecordingPage>(navigation->viewControllers().front());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->title(), "Sounds");
    EXPECT_NE(root->titleLabel, nullptr) << "the root page's own outlets are connected";
    EXPECT_FALSE(root->isViewLoaded()) << "nothing is shown before launch";
    EXPECT_FALSE(navigation->isViewLoaded());
}

TEST(LayoutTest, ABrokenMainWindowLayoutGivesNothingAndOneLogLine) {
    platform::LayoutRegistry::registerClass<uitest::RecordingDelegate>("RecordingDelegate");
    platform::LayoutRegistry::registerClass<RecordingPage>("RootPage");
    platform::LayoutRegistry::registerClass<uitest::PlainPage>("PlainPage");
    const std::string delegate =
        R"(<object id="delegate" class="RecordingDelegate" role="applicationDelegate"/>)";
    const std::string window = R"(<Window id="window" frame="0,0,320,480"/>)";
    const std::string stack =
        R"(<NavigationController id="navigation"><page class="RootPage" layout="Root"/></NavigationController>)";
    const struct {
        const char* name;
        std::string body;
        const char* file;  // the file the line names
        const char* problem;
    } cases[] = {
        {"unknown element", "<Toolbar/>", "Main.layout", "unknown element <Toolbar>"},
        {"unknown class", R"(<object id="x" class="Nobody"/>)", "Main.layout", "unknown class"},
        {"object without id", R"(<object class="RecordingDelegate"/>)", "Main.layout", "\"id\""},
        {"unknown object attribute", R"(<object id="x" class="RootPage" colour="red"/>)",
         "Main.layout", "unknown attribute \"colour\""},
        {"unknown role", R"(<object id="x" class="RecordingDelegate" role="owner"/>)",
         "Main.layout", "unknown role"},
        {"delegate of the wrong class",
         R"(<object id="x" class="RootPage" role="applicationDelegate"/>)", "Main.layout",
         "not an application delegate"},
        {"two delegates",
         delegate + R"(<object id="y" class="RecordingDelegate" role="applicationDelegate"/>)",
         "Main.layout", "second application delegate"},
        {"duplicate id", delegate + R"(<Window id="delegate"/>)", "Main.layout", "used twice"},
        {"two windows", window + "<Window/>", "Main.layout", "second <Window>"},
        {"bad window attribute", R"(<Window frame="0,0"/>)", "Main.layout", "for frame"},
        {"attribute of another type on the window", R"(<Window id="w" text="x"/>)", "Main.layout",
         "unknown attribute \"text\" on <Window id=\"w\">"},
        {"outlet inside the window", R"(<Window><Label outlet="x"/></Window>)", "Main.layout",
         "without an owner"},
        {"stack without a page", R"(<NavigationController id="n"/>)", "Main.layout",
         "exactly one <page>"},
        {"page of no page class",
         R"(<NavigationController><page class="RecordingDelegate"/></NavigationController>)",
         "Main.layout", "is not a page"},
        {"page whose layout is missing",
         R"(<NavigationController><page class="PlainPage"/></NavigationController>)",
         "PlainPage.layout", "not found"},
        {"page whose layout is broken",
         R"(<NavigationController><page class="RootPage" layout="Broken"/></NavigationController>)",
         "Broken.layout", "unknown view type"},
        {"connect to an unknown id",
         delegate + R"(<connect object="delegate" outlet="window" to="nowhere"/>)", "Main.layout",
         "\"nowhere\""},
        {"connect from an unknown id",
         window + R"(<connect object="nobody" outlet="window" to="window"/>)", "Main.layout",
         "\"nobody\""},
        {"unknown outlet",
         delegate + window + R"(<connect object="delegate" outlet="screen" to="window"/>)",
         "Main.layout", "no outlet \"screen\""},
        {"outlet of the wrong type",
         delegate + window +
             R"(<connect object="delegate" outlet="navigationController" to="window"/>)",
         "Main.layout", "cannot take \"window\""},
        {"outlets on a window",
         window + stack + R"(<connect object="window" outlet="root" to="navigation"/>)",
         "Main.layout", "has no outlet"},
        {"connect missing its target", delegate + R"(<connect object="delegate" outlet="window"/>)",
         "Main.layout", "\"to\""},
        {"text", delegate + "hello", "Main.layout", "text is not allowed"},
    };
    for (const auto& broken : cases) {
        SCOPED_TRACE(broken.name);
        auto bundle = uitest::makeBundle({
            {"Root.layout", uitest::plainLayout("RootPage")},
            {"Broken.layout", uitest::pageLayout("", "<Viewer/>")},
            {"Main.layout", "<layout>" + broken.body + "</layout>"},
        });
        LogCapture log;
        EXPECT_FALSE(platform::MainWindowLoader::load("Main", bundle).has_value());
        auto lines = log.messages();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find(broken.file), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(broken.problem), std::string::npos) << lines[0];
    }
}

TEST(LayoutTest, AHostileLayoutStillFailsWithOneLine) {
    std::string deep;
    for (int level = 0; level < 100000; ++level) deep += "<View>";
    for (int level = 0; level < 100000; ++level) deep += "</View>";
    std::string fine;
    for (int level = 0; level < 150; ++level) fine += "<View>";
    for (int level = 0; level < 150; ++level) fine += "</View>";
    const struct {
        const char* name;
        std::string contents;
        bool loads;
        const char* problem;
    } cases[] = {
        {"Deep", uitest::pageLayout("", deep), false, "nest more than"},
        {"DeepEnough", uitest::pageLayout("", fine), true, ""},
        {"Newlines", uitest::pageLayout("", "<View id=\"a&#10;b&#13;\" colour=\"x\"/>"), false,
         "colour"},
        {"Entities",
         "<!DOCTYPE layout [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;"
         "&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;"
         "&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f "
         "\"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>"
         "<layout><Label text=\"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\"/></layout>",
         false, "malformed XML"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto bundle = uitest::makeBundle({{std::string(c.name) + ".layout", c.contents}});
        LogCapture log;
        auto page = ViewController::initWithNibName<uitest::PlainPage>(c.name, bundle);
        EXPECT_EQ(page != nullptr, c.loads);
        auto lines = log.messages();
        ASSERT_EQ(lines.size(), c.loads ? 0u : 1u);
        if (c.loads) continue;
        EXPECT_NE(lines[0].find(c.problem), std::string::npos) << lines[0];
        EXPECT_EQ(lines[0].find_first_of("\r\n"), std::string::npos) << "one line";
    }
}

TEST(LayoutTest, ClassDescriptionsKnowTheirNamesAndTheirOutletTypes) {
    const auto& info = platform::LayoutRegistry::infoFor<RecordingPage>();
    EXPECT_EQ(info.className, "RecordingPage");
    EXPECT_TRUE(info.hasOutlet("table"));
    EXPECT_FALSE(info.hasOutlet("tables"));
    EXPECT_TRUE(info.hasAction("onTap"));
    EXPECT_FALSE(info.hasAction("titleLabel"));
    auto label = std::make_shared<platform::Label>();
    EXPECT_TRUE(info.outletAccepts("titleLabel", label));
    EXPECT_TRUE(info.outletAccepts("panel", label)) << "a View outlet takes any view";
    EXPECT_FALSE(info.outletAccepts("table", label));
    EXPECT_FALSE(info.outletAccepts("titleLabel", nullptr));

    EXPECT_EQ(platform::LayoutRegistry::find("Recorder"), nullptr);
    platform::LayoutRegistry::registerClass<RecordingPage>("Recorder");
    const auto* registered = platform::LayoutRegistry::find("Recorder");
    ASSERT_NE(registered, nullptr);
    EXPECT_EQ(registered->className, "Recorder");
    auto made = std::dynamic_pointer_cast<RecordingPage>(registered->create());
    ASSERT_NE(made, nullptr);
    // An action bound to an object that no shared_ptr holds is empty, never a dangling target.
    RecordingPage unshared;
    EXPECT_FALSE(static_cast<bool>(registered->makeAction(unshared, "onTap")));
    EXPECT_TRUE(static_cast<bool>(registered->makeAction(*made, "onTap")));
    EXPECT_FALSE(static_cast<bool>(registered->makeAction(*made, "onPlay")));
}

}  // namespace
