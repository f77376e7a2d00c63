#pragma once

#include "Action.h"
#include "View.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

template <class T>
class LayoutAttributes;

// A one-line text entry field: its text (UTF-8), a placeholder shown while it
// is empty, and a caret. The user's edits (typed or pasted text, deleting,
// moving the caret) come from the host and run the editing-changed action
// whenever the text changes; setText from code never runs it.
//
// The caret is a byte offset into the text that always falls between whole
// characters (code points); editing moves by one character.
class TextField : public View {
  public:
    using View::View;
    std::string_view typeName() const override { return "TextField"; }

    // The attributes layouts may give this type beyond those of every view.
    static void describeLayoutAttributes(LayoutAttributes<TextField>& attributes);

    const std::string& text() const { return m_text; }
    // Replaces the text (ill-formed UTF-8 and control characters are dropped,
    // as for typed text) and puts the caret at its end.
    void setText(std::string_view text);
    const std::string& placeholder() const { return m_placeholder; }
    void setPlaceholder(std::string placeholder) { m_placeholder = std::move(placeholder); }
    double fontSize() const { return m_fontSize; }
    void setFontSize(double size) { m_fontSize = size; }
    std::size_t caretOffset() const { return m_caret; }

    // Runs after every change of the text by the user; connected by the layout.
    void setEditingChangedAction(Action action) { m_editingChanged = std::move(action); }

    // The user's edits. Typed or pasted text goes in at the caret: it must be
    // well-formed UTF-8 (else nothing goes in), line breaks and tabs become
    // spaces and other control characters are left out.
    void insertText(std::string_view typed);
    void deleteBackward();
    void deleteForward();
    void moveCaretLeft();
    void moveCaretRight();
    void moveCaretToStart() { m_caret = 0; }
    void moveCaretToEnd() { m_caret = m_text.size(); }

    // A click puts the caret at the end (the host does not place it by pixel).
    void tapAt(Point) override { moveCaretToEnd(); }
    bool acceptsTaps() const override { return true; }

    // The longest text kept, in bytes; typing past it is ignored.
    static constexpr std::size_t kMaximumLength = 1024;

  private:
    void changed();
    std::size_t previousBoundary(std::size_t offset) const;
    std::size_t nextBoundary(std::size_t offset) const;

    std::string m_text;
    std::string m_placeholder;
    double m_fontSize = 17.0;
    std::size_t m_caret = 0;
    Action m_editingChanged;
};

}  // namespace platform
