#include "TextField.h"

#include "LayoutAttributes.h"
#include "Platform/Foundation/Utf8Check.h"

#include <algorithm>

namespace platform {
namespace {

bool isContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0U) == 0x80U;
}

// Typed text as it may stand in one line: breaks and tabs as spaces, other
// control characters (C0 and DEL) left out. Bytes of multi-byte characters
// are never control characters, so the result stays well-formed.
std::string oneLine(std::string_view typed) {
    std::string line;
    line.reserve(typed.size());
    for (char byte : typed) {
        const auto code = static_cast<unsigned char>(byte);
        if (byte == '\n' || byte == '\r' || byte == '\t') {
            line += ' ';
        } else if (code >= 0x20U && code != 0x7FU) {
            line += byte;
        }
    }
    return line;
}

// The longest start of `text` no longer than `limit` bytes that ends between characters.
std::size_t fittingLength(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    std::size_t length = limit;
    while (length > 0 && isContinuationByte(text[length])) --length;
    return length;
}

}  // namespace

void TextField::describeLayoutAttributes(LayoutAttributes<TextField>& attributes) {
    attributes.text("text", &TextField::setText)
        .text("placeholder", &TextField::setPlaceholder)
        .number("fontSize", &TextField::setFontSize, LayoutAttributeValue::Range::positive())
        .action("action", &TextField::setEditingChangedAction);
}

void TextField::setText(std::string_view text) {
    m_text.clear();
    if (isWellFormedUtf8(text)) {
        const std::string line = oneLine(text);
        m_text = line.substr(0, fittingLength(line, kMaximumLength));
    }
    m_caret = m_text.size();
}

void TextField::changed() {
    m_editingChanged();
}

std::size_t TextField::previousBoundary(std::size_t offset) const {
    if (offset == 0) return 0;
    --offset;
    while (offset > 0 && isContinuationByte(m_text[offset])) --offset;
    return offset;
}

std::size_t TextField::nextBoundary(std::size_t offset) const {
    if (offset >= m_text.size()) return m_text.size();
    ++offset;
    while (offset < m_text.size() && isContinuationByte(m_text[offset])) ++offset;
    return offset;
}

void TextField::insertText(std::string_view typed) {
    if (!isWellFormedUtf8(typed)) return;
    const std::string line = oneLine(typed);
    const std::size_t room = kMaximumLength - std::min(m_text.size(), kMaximumLength);
    const std::size_t length = fittingLength(line, room);
    if (length == 0) return;
    m_text.insert(m_caret, line, 0, length);
    m_caret += length;
    changed();
}

void TextField::deleteBackward() {
    if (m_caret == 0) return;
    const std::size_t from = previousBoundary(m_caret);
    m_text.erase(from, m_caret - from);
    m_caret = from;
    changed();
}

void TextField::deleteForward() {
    if (m_caret >= m_text.size()) return;
    m_text.erase(m_caret, nextBoundary(m_caret) - m_caret);
    changed();
}

void TextField::moveCaretLeft() {
    m_caret = previousBoundary(m_caret);
}

void TextField::moveCaretRight() {
    m_caret = nextBoundary(m_caret);
}

}  // namespace platform
