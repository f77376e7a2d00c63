// A screen reader walks every page through Qt's accessibility interfaces, and
// hears the focus move.

#include "AccessibilityProbe.h"
#include "HostSession.h"

#include "Classes/CommandNames.h"
#include "Classes/MainPage.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "Classes/Search/SearchCommands.h"

#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

using hosttest::AccessibleNode;
using hosttest::Session;
using platform::IndexPath;
using Part = platform::NavigationBarLayout::Part;
using Role = QAccessible::Role;

using hosttest::openFavourites;
using hosttest::openInfo;
using hosttest::openOptions;
using hosttest::openPlay;
using hosttest::press;
using hosttest::rowText;

struct PageVisit {
    const char* name;
    std::function<void(Session&)> open;
};
const PageVisit kMain{"main", [](Session&) {}};
const PageVisit kOptions{"options panel", openOptions};
const PageVisit kPlay{"play", openPlay};
const PageVisit kFavourites{"favourites", openFavourites};
const PageVisit kInfo{"info", openInfo};
const PageVisit kSearch{"search", [](Session& session) {
                            findSoundCommand().perform(session.window.dialogs());
                            session.advance(0.5);
                        }};
const PageVisit kPads{"pads", [](Session& session) {
                          session.application.sendCommand(command_names::kOpenPads);
                          session.advance(0.5);
                      }};

TEST(HostAccessibilityTest, EveryPageReadsAsATreeOfRolesAndNames) {
    struct Expected {
        Role role;
        std::string name;
    };
    const struct {
        PageVisit page;
        std::vector<Expected> present;
        std::vector<Expected> absent;
    } cases[] = {
        {kMain,
         {{Role::Button, "Options"},
          {Role::Button, "Favourites"},
          {Role::List, "Sounds"},
          {Role::Document, "Banner"},
          {Role::Link, "example.org"},
          {Role::Link, "example.com"}},
         {{Role::CheckBox, "Vibrate"}, {Role::Button, "Back"}}},
        {kOptions,
         {{Role::Grouping, "Options"}, {Role::StaticText, "Vibrate"}, {Role::CheckBox, "Vibrate"}},
         {}},
        {kPlay,
         {{Role::Button, "Back"},
          {Role::Button, "Add Air Horn to Favourites"},
          {Role::Button, "Play Air Horn"},
          {Role::Button, "Info"},
          {Role::Link, "example.com"}},
         {{Role::Graphic, "Favourite badge"}, {Role::List, "Sounds"}}},
        {kFavourites,
         {{Role::Button, "Back"}, {Role::Graphic, "love"}, {Role::List, "Favourites"}},
         {{Role::Button, "Options"}}},
        {kInfo,
         {{Role::Button, "Back"},
          {Role::StaticText, "Info"},
          {Role::Pane, "About"},
          {Role::Graphic, "Soundboard"},
          {Role::StaticText, "Soundboard"},
          {Role::Button, "Farland"},
          {Role::Button, "Twitter"}},
         {{Role::Button, "Play"}}},
        {kSearch,
         {{Role::Button, "Back"}, {Role::EditableText, "Search"}, {Role::List, "Results"}},
         {{Role::List, "Sounds"}}},
        // Every pad in view a button named after its sound; those below the fold not yet made.
        {kPads,
         {{Role::Button, "Back"},
          {Role::Pane, "Pads"},
          {Role::StaticText, "Classics"},
          {Role::StaticText, "Cartoon"},
          {Role::Button, "Air Horn"},
          {Role::Button, "Salt & Pepper <3 \"Hi\""},
          {Role::Button, "Referee Whistle"}},
         {{Role::Button, "Hello!"}, {Role::List, "Sounds"}}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.page.name);
        hosttest::runSession([&](Session& session) {
            test.page.open(session);
            const auto nodes = hosttest::walkAccessibleTree(session);
            for (const auto& expected : test.present) {
                EXPECT_NE(hosttest::findNode(nodes, expected.role, expected.name), nullptr)
                    << "missing " << expected.name;
            }
            for (const auto& expected : test.absent) {
                EXPECT_EQ(hosttest::findNode(nodes, expected.role, expected.name), nullptr)
                    << "not shown: " << expected.name;
            }
        });
    }
}

// What a screen reader hears says which sound a control is for, its category
// and whether it plays; a text field can be read; a label reads as its text.
TEST(HostAccessibilityTest, NamesSayTheSoundItsCategoryAndItsState) {
    const auto hears = [](Session& session, Role role, const std::string& name) {
        const auto nodes = hosttest::walkAccessibleTree(session);
        const AccessibleNode* node = hosttest::findNode(nodes, role, name);
        return node != nullptr ? std::optional(*node) : std::nullopt;
    };
    const struct {
        const char* what;
        std::function<void(Session&, decltype(hears)&)> check;
    } cases[] = {
        {"the play page names its sound, and its button says while it plays",
         [](Session& session, auto& heard) {
             openPlay(session);  // the first row: Air Horn
             ASSERT_TRUE(heard(session, Role::Button, "Add Air Horn to Favourites"));
             const auto play = heard(session, Role::Button, "Play Air Horn");
             ASSERT_TRUE(play);
             EXPECT_FALSE(play->state.busy);
             play->interface->actionInterface()->doAction(
                 QAccessibleActionInterface::pressAction());
             session.advance(0.01);
             const auto playing = heard(session, Role::Button, "Play Air Horn");
             ASSERT_TRUE(playing);
             EXPECT_TRUE(playing->state.busy);
             EXPECT_EQ(playing->interface->text(QAccessible::Description).toStdString(), "playing");
             platform::Application::sharedApplication().sendCommand(
                 command_names::kToggleFavourite);
             session.advance(2);
             EXPECT_TRUE(heard(session, Role::Button, "Remove Air Horn from Favourites"));
         }},
        {"the search field is focused and reads what is typed; results say their category",
         [](Session& session, auto& heard) {
             kSearch.open(session);
             QTest::keyClicks(&session.window, "pop");
             session.advance(0.5);
             const auto field = heard(session, Role::EditableText, "Search");
             ASSERT_TRUE(field);
             EXPECT_TRUE(field->state.focusable);
             EXPECT_TRUE(field->state.focused);
             EXPECT_TRUE(field->state.editable);
             QAccessibleTextInterface* text = field->interface->textInterface();
             ASSERT_NE(text, nullptr);
             EXPECT_EQ(text->text(0, -1).toStdString(), "pop");
             EXPECT_EQ(text->characterCount(), 3);
             EXPECT_EQ(text->cursorPosition(), 3);
             EXPECT_TRUE(heard(session, Role::ListItem, "Pop, Cartoon"));
         }},
        {"the favourites page heads each block with its category",
         [](Session& session, auto& heard) {
             Reference::setBool(true, "001");
             Reference::setBool(true, "010");
             openFavourites(session);
             EXPECT_TRUE(heard(session, Role::Heading, "Classics"));
             EXPECT_TRUE(heard(session, Role::Heading, "Cartoon"));
             EXPECT_TRUE(heard(session, Role::ListItem, "Pop"));
         }},
        {"a label reads as its text, with no id for a description",
         [](Session& session, auto& heard) {
             openOptions(session);
             const auto label = heard(session, Role::StaticText, "Vibrate");
             ASSERT_TRUE(label);
             EXPECT_EQ(label->interface->text(QAccessible::Description).toStdString(), "");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        hosttest::runSession([&](Session& session) { c.check(session, hears); });
    }
}

TEST(HostAccessibilityTest, RowsAreListItemsOfTheirListAndLinksOfTheBanner) {
    hosttest::runSession([](Session& session) {
        const auto nodes = hosttest::walkAccessibleTree(session);
        const AccessibleNode* list = hosttest::findNode(nodes, Role::List, "Sounds");
        ASSERT_NE(list, nullptr);
        ASSERT_GT(list->interface->childCount(), 0);
        QAccessibleInterface* first = list->interface->child(0);
        EXPECT_EQ(first->role(), Role::ListItem);
        EXPECT_EQ(first->text(QAccessible::Name).toStdString(), rowText(session, {0, 0}));
        EXPECT_TRUE(list->interface->rect().contains(first->rect()));

        const AccessibleNode* banner = hosttest::findNode(nodes, Role::Document, "Banner");
        ASSERT_NE(banner, nullptr);
        ASSERT_EQ(banner->interface->childCount(), 2);
        EXPECT_EQ(banner->interface->child(1)->text(QAccessible::Description).toStdString(),
                  "https://www.example.com/soundboard");
        // Hit-testing finds the link where it is drawn.
        const QPoint centre = banner->interface->child(0)->rect().center();
        EXPECT_EQ(banner->interface->childAt(centre.x(), centre.y()), banner->interface->child(0));
    });
}

TEST(HostAccessibilityTest, TheSwitchReadsItsStateAndItsToggleActionFlipsIt) {
    hosttest::runSession([](Session& session) {
        kOptions.open(session);
        auto nodes = hosttest::walkAccessibleTree(session);
        const AccessibleNode* toggle = hosttest::findNode(nodes, Role::CheckBox, "Vibrate");
        ASSERT_NE(toggle, nullptr);
        EXPECT_TRUE(toggle->state.checkable);
        EXPECT_FALSE(toggle->state.checked);

        auto* actions = toggle->interface->actionInterface();
        ASSERT_NE(actions, nullptr);
        actions->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_TRUE(toggle->interface->state().checked);
        EXPECT_TRUE(Reference::boolForKey("vibrate")) << "as a click on the switch stores it";
        session.click(session.controlPoint("Vibrate"));
        EXPECT_FALSE(toggle->interface->state().checked);
    });
}

TEST(HostAccessibilityTest, PressingARowItemOpensItsPlayPageAndTheOldPageIsForgotten) {
    hosttest::runSession([](Session& session) {
        auto nodes = hosttest::walkAccessibleTree(session);
        const AccessibleNode* list = hosttest::findNode(nodes, Role::List, "Sounds");
        ASSERT_NE(list, nullptr);
        const std::string label = rowText(session, {0, 2});
        QAccessibleInterface* row = list->interface->child(2);
        row->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        session.advance(1);
        ASSERT_NE(session.topAs<PlayPage>(), nullptr);
        EXPECT_EQ(session.bar().title, label);
        EXPECT_FALSE(row->isValid()) << "the main page no longer shows";

        nodes = hosttest::walkAccessibleTree(session);
        const AccessibleNode* add =
            hosttest::findNode(nodes, Role::Button, "Add " + label + " to Favourites");
        ASSERT_NE(add, nullptr);
        const QAccessible::Id id = QAccessible::uniqueId(add->interface);
        session.click(session.barButtonPoint(Part::kBack));
        session.advance(1);
        hosttest::walkAccessibleTree(session);
        EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr)
            << "the interfaces of a released page go with it";
    });
}

TEST(HostAccessibilityTest, FocusMovesAndSelectedRowsAreAnnounced) {
    hosttest::runSession([](Session& session) {
        hosttest::FocusAnnouncements heard;
        press(session, Qt::Key_Tab);
        press(session, Qt::Key_Tab);
        press(session, Qt::Key_Tab);
        press(session, Qt::Key_Down);
        press(session, Qt::Key_Down);
        const std::vector<std::string> expected{"Options", "Favourites", "Sounds",
                                                rowText(session, {0, 0}), rowText(session, {0, 1})};
        EXPECT_EQ(heard.names(), expected);

        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&session.window);
        QAccessibleInterface* focused = window->focusChild();
        ASSERT_NE(focused, nullptr);
        EXPECT_EQ(focused->role(), Role::ListItem);
        EXPECT_TRUE(focused->state().focused);
        EXPECT_TRUE(focused->state().selected);
    });
}

}  // namespace
