// Finding a sound in the window: Ctrl+F, typing into the search page's field,
// and opening a result with the keyboard or the mouse.

#include "HostSession.h"

#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PlayPage.h"
#include "Classes/Search/SearchCommands.h"
#include "Classes/Search/SearchPage.h"
#include "Classes/Search/SearchResultCell.h"
#include "Platform/Host/Paint/PageTransitions.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using hosttest::Session;
using Part = platform::NavigationBarLayout::Part;

constexpr double kSlide = platform::PageTransitions::kDuration;

// Find Sound, and a command on a plain letter key that counts its runs: on
// a page with a text field the letter types instead.
int g_letterCommandRuns = 0;

struct SearchCommandInstalled {
    SearchCommandInstalled() {
        g_letterCommandRuns = 0;
        platform::WindowCommands commands;
        commands.add(findSoundCommand());
        commands.add({"Letter", "S", [](platform::HostServices&) { ++g_letterCommandRuns; }});
        platform::WindowCommands::setApplicationCommands(std::move(commands));
    }
    ~SearchCommandInstalled() { platform::WindowCommands::setApplicationCommands({}); }
};

void press(Session& session, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&session.window, key, modifiers);
    QCoreApplication::processEvents();
}

void type(Session& session, const char* text) {
    QTest::keyClicks(&session.window, text);
    QCoreApplication::processEvents();
}

// A key press carrying `text`, as a keyboard layout with that letter sends it.
void typeLetter(Session& session, const QString& text) {
    QKeyEvent event(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&session.window, &event);
}

void openSearch(Session& session) {
    press(session, Qt::Key_F, Qt::ControlModifier);
    session.advance(kSlide);
}

std::string fieldText(Session& session) {
    auto* page = session.topAs<SearchPage>();
    return page && page->QueryField ? page->QueryField->text() : std::string("(no search page)");
}

int resultRows(Session& session) {
    auto table = session.table();
    if (!table) return -1;
    table->layoutIfNeeded();
    return table->numberOfRowsInSection(0);
}

// The labels and categories of the rows on screen, top to bottom.
std::vector<std::string> shownResults(Session& session) {
    std::vector<std::string> shown;
    auto table = session.table();
    if (!table) return shown;
    table->layoutIfNeeded();
    for (int row = 0; row < table->numberOfRowsInSection(0); ++row) {
        auto cell =
            std::dynamic_pointer_cast<SearchResultCell>(table->cellForRowAtIndexPath({0, row}));
        if (cell) shown.push_back(cell->textLabel().text() + " / " + cell->categoryLabel().text());
    }
    return shown;
}

TEST(HostSearchTest, CtrlFOpensTheSearchOverAnyPageAndEscapeReturnsToIt) {
    SearchCommandInstalled commands;
    const struct {
        const char* name;
        std::function<void(Session&)> reach;
        std::size_t depth;
    } starts[] = {
        {"main page", [](Session&) {}, 1},
        {"play page",
         [](Session& session) {
             session.click(session.rowPoint({0, 2}));
         },
         2},
        {"favourites",
         [](Session& session) { session.click(session.barButtonPoint(Part::kRight)); }, 2},
    };
    for (const auto& start : starts) {
        SCOPED_TRACE(start.name);
        hosttest::runSession([&start](Session& session) {
            start.reach(session);
            session.advance(kSlide);
            ASSERT_EQ(session.depth(), start.depth);
            platform::ViewController* under = session.top();

            openSearch(session);
            auto* search = session.topAs<SearchPage>();
            ASSERT_NE(search, nullptr);
            EXPECT_EQ(session.depth(), start.depth + 1);
            EXPECT_EQ(session.bar().title, "Find Sound");
            EXPECT_EQ(resultRows(session), 30) << "every sound of every category";

            openSearch(session);
            EXPECT_EQ(session.top(), search) << "a second Ctrl+F keeps the search page";
            EXPECT_EQ(session.depth(), start.depth + 1);

            press(session, Qt::Key_Escape);
            session.advance(kSlide);
            EXPECT_EQ(session.top(), under);
            EXPECT_EQ(session.depth(), start.depth);
        });
    }
}

TEST(HostSearchTest, TypingNarrowsTheListAndBackspaceEditsInsteadOfGoingBack) {
    SearchCommandInstalled commands;
    hosttest::runSession([](Session& session) {
        openSearch(session);
        const struct {
            std::function<void()> keys;
            const char* field;
            std::vector<std::string> shown;
        } steps[] = {
            {[&] { type(session, "W"); },
             "W",
             {"Well Done / Voices", "Slide Whistle / Cartoon", "Referee Whistle / Cartoon",
              "No Way! / Voices", "Power Up / Sci-Fi", "Power Down / Sci-Fi"}},
            {[&] { type(session, "hi"); },
             "Whi",
             {"Slide Whistle / Cartoon", "Referee Whistle / Cartoon"}},
            {[&] { type(session, "x"); }, "Whix", {}},
            {[&] { press(session, Qt::Key_Backspace); },
             "Whi",
             {"Slide Whistle / Cartoon", "Referee Whistle / Cartoon"}},
            {[&] {
                 press(session, Qt::Key_Home);
                 press(session, Qt::Key_Delete);
                 press(session, Qt::Key_End);
             },
             "hi",
             {"Salt & Pepper <3 \"Hi\" / Classics", "Slide Whistle / Cartoon",
              "Referee Whistle / Cartoon"}},
            {[&] {
                 press(session, Qt::Key_Left);
                 type(session, " ");
             },
             "h i",
             {}},
            {[&] {
                 press(session, Qt::Key_End);
                 for (int i = 0; i < 4; ++i) press(session, Qt::Key_Backspace);
             },
             "",
             {}},
            {[&] {
                 typeLetter(session, QStringLiteral("Ú"));
                 typeLetter(session, QStringLiteral("P"));
             },
             "ÚP",
             {"Power Up / Sci-Fi"}},
        };
        for (const auto& step : steps) {
            SCOPED_TRACE(step.field);
            step.keys();
            EXPECT_EQ(fieldText(session), step.field);
            if (std::string(step.field).empty()) {
                EXPECT_EQ(resultRows(session), 30);
            } else {
                EXPECT_EQ(shownResults(session), step.shown);
            }
            EXPECT_NE(session.topAs<SearchPage>(), nullptr) << "still on the search page";
        }
    });
}

TEST(HostSearchTest, DownAndEnterOrAClickOpenThatResultsPlayPage) {
    SearchCommandInstalled commands;
    const struct {
        const char* name;
        std::function<void(Session&)> open;
        const char* label;
    } ways[] = {
        {"Down Enter",
         [](Session& session) {
             press(session, Qt::Key_Down);
             press(session, Qt::Key_Return);
         },
         "Power Up"},
        {"Down Down Enter",
         [](Session& session) {
             press(session, Qt::Key_Down);
             press(session, Qt::Key_Down);
             press(session, Qt::Key_Enter, Qt::KeypadModifier);
         },
         "Power Down"},
        {"click",
         [](Session& session) {
             session.click(session.rowPoint({0, 1}));
         },
         "Power Down"},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        hosttest::runSession([&way](Session& session) {
            openSearch(session);
            type(session, "pow");
            ASSERT_EQ(shownResults(session),
                      (std::vector<std::string>{"Power Up / Sci-Fi", "Power Down / Sci-Fi"}));
            way.open(session);
            auto* play = session.topAs<PlayPage>();
            ASSERT_NE(play, nullptr);
            EXPECT_EQ(play->curData->attribute("label"), way.label);
            EXPECT_EQ(session.bar().title, way.label);
            EXPECT_EQ(session.depth(), 3u);

            // Back on the search page, the query and the list are as they were.
            session.advance(kSlide);
            session.click(session.barButtonPoint(Part::kBack));
            session.advance(kSlide);
            EXPECT_EQ(fieldText(session), "pow");
            EXPECT_EQ(shownResults(session).size(), 2u);
        });
    }
}

TEST(HostSearchTest, InputMethodTextPasteAndSpaceReachTheField) {
    SearchCommandInstalled commands;
    hosttest::runSession([](Session& session) {
        openSearch(session);
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("ро"));
        QCoreApplication::sendEvent(&session.window, &composed);
        EXPECT_EQ(fieldText(session), "ро");
        EXPECT_TRUE(shownResults(session).empty());

        press(session, Qt::Key_A, Qt::ControlModifier);  // selects nothing, types nothing
        EXPECT_EQ(fieldText(session), "ро");
        for (int i = 0; i < 2; ++i) press(session, Qt::Key_Backspace);
        QGuiApplication::clipboard()->setText(QStringLiteral("sad\ntrom"));
        press(session, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(fieldText(session), "sad trom");
        EXPECT_EQ(shownResults(session), (std::vector<std::string>{"Sad Trombone / Classics"}));

        press(session, Qt::Key_Space);
        EXPECT_EQ(fieldText(session), "sad trom ") << "Space types instead of acting";
        EXPECT_EQ(g_letterCommandRuns, 0) << "the S of the paste and no shortcut";
        type(session, "s");
        EXPECT_EQ(fieldText(session), "sad trom s");
        EXPECT_EQ(g_letterCommandRuns, 0) << "a typed letter is text, not its shortcut";
    });
}

TEST(HostSearchTest, TypingIntoTheFieldAsksNoCommandForItsTitleOrState) {
    int asked = 0;
    g_letterCommandRuns = 0;
    platform::WindowCommands commands;
    commands.add(findSoundCommand());
    auto letter = platform::WindowCommand::make(
        "Letter", "S", [](platform::HostServices&) { ++g_letterCommandRuns; });
    letter.currentTitle = [&asked] {
        ++asked;
        return std::string("Letter");
    };
    letter.enabled = [&asked] {
        ++asked;
        return true;
    };
    commands.add(std::move(letter));
    platform::WindowCommands::setApplicationCommands(std::move(commands));
    hosttest::runSession([&](Session& session) {
        press(session, Qt::Key_S);
        EXPECT_EQ(g_letterCommandRuns, 1) << "without a field the letter is its shortcut";
        EXPECT_GT(asked, 0) << "a shortcut about to run asks whether it can";
        openSearch(session);
        asked = 0;
        type(session, "sss");
        press(session, Qt::Key_Backspace);
        EXPECT_EQ(fieldText(session), "ss");
        EXPECT_EQ(asked, 0) << "a key the field takes asks no command anything";
        EXPECT_EQ(g_letterCommandRuns, 1);
    });
    platform::WindowCommands::setApplicationCommands({});
}

TEST(HostSearchTest, TheFieldDrawsItsPlaceholderThenTheTypedText) {
    SearchCommandInstalled commands;
    hosttest::runSession([](Session& session) {
        openSearch(session);
        const QPoint centre = session.controlPoint("Search");
        const QRect field(QPoint(centre.x() - 140, centre.y() - 12), QSize(280, 24));
        const QImage empty = session.frame();
        EXPECT_GT(hosttest::distinctColours(empty.copy(field)), 4u) << "the placeholder shows";
        type(session, "zap");
        const QImage typed = session.frame();
        EXPECT_GT(hosttest::differingPixels(empty, typed, field), 50);
        press(session, Qt::Key_Backspace);
        press(session, Qt::Key_Backspace);
        press(session, Qt::Key_Backspace);
        EXPECT_EQ(hosttest::differingPixels(empty, session.frame(), field), 0)
            << "emptied again, the field looks as it did";
    });
}

}  // namespace
