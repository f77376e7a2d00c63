// The text field: what layouts may give it, and the user's edits.

#include "PageTestSupport.h"

#include "Platform/Foundation/Log.h"
#include "Platform/UI/TextField.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using platform::TextField;
using platform::ViewController;
using uitest::RecordingPage;

TEST(TextFieldTest, LayoutsGiveTextPlaceholderFontSizeAndTheEditingAction) {
    const char* body = R"(
      <View frame="0,0,320,436">
        <TextField id="field" frame="8,8,304,32" text="Zip &amp; Zap" placeholder="Sound name"
                   fontSize="15" action="onTap" accessibilityName="Search"/>
        <TextField id="bare"/>
      </View>)";
    auto bundle = uitest::makeBundle({{"Field.layout", uitest::pageLayout("RecordingPage", body)}});
    auto page = ViewController::initWithNibName<RecordingPage>("Field", bundle);
    ASSERT_NE(page, nullptr);
    auto field = std::dynamic_pointer_cast<TextField>(page->view()->findView("field"));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->typeName(), "TextField");
    EXPECT_EQ(field->text(), "Zip & Zap");
    EXPECT_EQ(field->caretOffset(), field->text().size());
    EXPECT_EQ(field->placeholder(), "Sound name");
    EXPECT_DOUBLE_EQ(field->fontSize(), 15);
    EXPECT_EQ(field->accessibilityName(), "Search");
    EXPECT_EQ(page->taps, 0) << "text from the layout is not an edit";
    field->insertText("!");
    EXPECT_EQ(page->taps, 1);

    auto bare = std::dynamic_pointer_cast<TextField>(page->view()->findView("bare"));
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->text(), "");
    EXPECT_EQ(bare->placeholder(), "");
    bare->insertText("a");  // no action connected: nothing runs, nothing fails
    EXPECT_EQ(bare->text(), "a");
}

TEST(TextFieldTest, RefusedAttributesFailTheLayout) {
    const char* cases[] = {
        R"(<TextField fontSize="0"/>)",
        R"(<TextField fontSize="big"/>)",
        R"(<TextField action="noSuchAction"/>)",
        R"(<TextField title="a"/>)",
    };
    for (const char* element : cases) {
        SCOPED_TRACE(element);
        auto bundle = uitest::makeBundle({{"Bad.layout", uitest::pageLayout("", element)}});
        platform::LogCapture log;
        EXPECT_EQ(ViewController::initWithNibName<RecordingPage>("Bad", bundle), nullptr);
        EXPECT_EQ(log.messages().size(), 1u);
    }
}

// A counter for the editing-changed action.
class Edits {
  public:
    void changed() { ++count; }
    int count = 0;
};

TEST(TextFieldTest, EditsMoveByWholeCharactersAndRunTheActionOnlyOnChange) {
    struct Case {
        const char* name;
        const char* start;  // set from code; the caret at its end
        std::function<void(TextField&)> edit;
        const char* text;
        std::size_t caret;
        int actions;
    };
    const Case cases[] = {
        {"type", "ab", [](TextField& f) { f.insertText("c"); }, "abc", 3, 1},
        {"type in the middle", "ac",
         [](TextField& f) {
             f.moveCaretLeft();
             f.insertText("b");
         },
         "abc", 2, 1},
        {"backspace a two-byte letter", "caf\xc3\xa9", [](TextField& f) { f.deleteBackward(); },
         "caf", 3, 1},
        {"backspace a four-byte emoji", "a\xf0\x9f\x94\x8a",
         [](TextField& f) { f.deleteBackward(); }, "a", 1, 1},
        {"backspace at the start", "ab",
         [](TextField& f) {
             f.moveCaretToStart();
             f.deleteBackward();
         },
         "ab", 0, 0},
        {"delete forward", "\xc3\xa9t\xc3\xa9",
         [](TextField& f) {
             f.moveCaretToStart();
             f.deleteForward();
         },
         "t\xc3\xa9", 0, 1},
        {"delete at the end", "ab", [](TextField& f) { f.deleteForward(); }, "ab", 2, 0},
        {"left over a two-byte letter", "\xc3\xa9", [](TextField& f) { f.moveCaretLeft(); },
         "\xc3\xa9", 0, 0},
        {"right past the end", "ab",
         [](TextField& f) {
             f.moveCaretRight();
             f.moveCaretRight();
         },
         "ab", 2, 0},
        {"home then end", "ab",
         [](TextField& f) {
             f.moveCaretToStart();
             f.moveCaretToEnd();
         },
         "ab", 2, 0},
        {"line breaks and tabs become spaces", "", [](TextField& f) { f.insertText("a\nb\tc\r"); },
         "a b c ", 6, 1},
        {"other control characters are left out", "",
         [](TextField& f) {
             f.insertText(
                 std::string("a\x01\x7f"
                             "b\0c",
                             6));
         },
         "abc", 3, 1},
        {"ill-formed UTF-8 goes nowhere", "x", [](TextField& f) { f.insertText("\xc3\x28"); }, "x",
         1, 0},
        {"only control characters change nothing", "x", [](TextField& f) { f.insertText("\x1b"); },
         "x", 1, 0},
        {"a tap puts the caret at the end", "abc",
         [](TextField& f) {
             f.moveCaretToStart();
             f.tapAt({1, 1});
         },
         "abc", 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto edits = std::make_shared<Edits>();
        TextField field;
        field.setEditingChangedAction(platform::Action(edits, &Edits::changed));
        field.setText(c.start);
        c.edit(field);
        EXPECT_EQ(field.text(), c.text);
        EXPECT_EQ(field.caretOffset(), c.caret);
        EXPECT_EQ(edits->count, c.actions);
    }
}

TEST(TextFieldTest, TextStopsAtTheLongestKeptLengthBetweenCharacters) {
    TextField field;
    field.setText(std::string(TextField::kMaximumLength - 1, 'a'));
    field.insertText("\xc3\xa9");  // two bytes: no room for the whole letter
    EXPECT_EQ(field.text().size(), TextField::kMaximumLength - 1);
    field.insertText("bc");
    EXPECT_EQ(field.text().size(), TextField::kMaximumLength);
    EXPECT_EQ(field.text().back(), 'b');
    field.setText(std::string(TextField::kMaximumLength * 2, 'z'));
    EXPECT_EQ(field.text().size(), TextField::kMaximumLength);
    field.setText("\xff");
    EXPECT_EQ(field.text(), "") << "ill-formed text from code is refused whole";
}

}  // namespace
