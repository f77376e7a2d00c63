#include "HTMLBounds.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

namespace platform {
namespace {

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool isNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == ':' || c == '_';
}

bool startsWith(std::string_view text, std::size_t at, std::string_view prefix) {
    return text.substr(at, prefix.size()) == prefix;
}

// Elements that never hold anything and so never nest.
bool isVoidElement(std::string_view name) {
    static constexpr std::string_view kVoid[] = {"area",  "base",   "br",    "col",  "embed",
                                                 "hr",    "img",    "input", "link", "meta",
                                                 "param", "source", "track", "wbr"};
    return std::find(std::begin(kVoid), std::end(kVoid), name) != std::end(kVoid);
}

// The elements a table is made of, which go with a table left out.
bool isTablePart(std::string_view name) {
    static constexpr std::string_view kParts[] = {"caption", "col", "colgroup", "tbody", "td",
                                                  "tfoot",   "th",  "thead",    "tr"};
    return std::find(std::begin(kParts), std::end(kParts), name) != std::end(kParts);
}

// Elements whose content is raw text up to their end tag.
bool isRawTextElement(std::string_view name) {
    return name == "script" || name == "style" || name == "title" || name == "textarea";
}

// Where the tag starting at `at` ends (one past its ">"), quotes respected;
// npos when the page ends first.
std::size_t tagEnd(std::string_view html, std::size_t at) {
    char quote = 0;
    for (std::size_t i = at + 1; i < html.size(); ++i) {
        const char c = html[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            // Only a quote that opens an attribute value counts as one.
            if (i > 0 &&
                (html[i - 1] == '=' || std::isspace(static_cast<unsigned char>(html[i - 1]))))
                quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

std::string tagName(std::string_view html, std::size_t from) {
    std::string name;
    for (std::size_t i = from; i < html.size() && isNameCharacter(html[i]); ++i) {
        name += lower(html[i]);
    }
    return name;
}

// The longest prefix of `text` of at most `room` bytes that does not end
// inside a UTF-8 sequence.
std::string_view utf8Prefix(std::string_view text, std::size_t room) {
    if (text.size() <= room) return text;
    std::size_t length = room;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    return text.substr(0, length);
}

class Bounder {
  public:
    explicit Bounder(std::string_view html) : m_html(html) {}

    HTMLBounds::Page run() {
        std::size_t at = 0;
        while (at < m_html.size() && !m_ended) at = step(at);
        return std::move(m_page);
    }

  private:
    std::size_t step(std::size_t at) {
        if (m_html[at] != '<') return text(at);
        if (startsWith(m_html, at, "<!--")) {
            const std::size_t end = m_html.find("-->", at + 4);
            return end == std::string_view::npos ? m_html.size() : end + 3;
        }
        const bool closing = startsWith(m_html, at, "</");
        const std::size_t nameAt = at + (closing ? 2 : 1);
        const bool declaration = startsWith(m_html, at, "<!") || startsWith(m_html, at, "<?");
        if (!declaration && (nameAt >= m_html.size() || !isNameCharacter(m_html[nameAt]))) {
            return text(at);  // a lone "<" is text
        }
        const std::size_t end = tagEnd(m_html, at);
        if (end == std::string_view::npos) {
            m_page.cut = m_ended = true;
            return m_html.size();
        }
        const std::string_view tag = m_html.substr(at, end - at);
        if (declaration) {
            m_page.html += tag;
        } else if (closing) {
            endTag(tagName(m_html, nameAt), tag);
        } else {
            return startTag(tagName(m_html, nameAt), tag, end);
        }
        return end;
    }

    std::size_t text(std::size_t at) {
        std::size_t end = m_html.find('<', at + 1);
        if (end == std::string_view::npos) end = m_html.size();
        const std::string_view run = m_html.substr(at, end - at);
        const std::string_view kept = utf8Prefix(run, kMaximumText - m_textBytes);
        // A lone "<" is written as a reference: with tags left out around it,
        // it must not start one together with the text that follows.
        if (!kept.empty() && kept.front() == '<') {
            m_page.html += "&lt;";
            appendBreakable(kept.substr(1));
        } else {
            appendBreakable(kept);
        }
        m_textBytes += kept.size();
        if (kept.size() < run.size()) m_page.cut = m_ended = true;
        return end;
    }

    // Text with a break opportunity (U+200B, zero width) in every run of
    // kUnbrokenBytes without one, never inside a character or a reference: a
    // long word in a table cell makes the layout measure the table again and
    // again.
    void appendBreakable(std::string_view text) {
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            const bool continuation = (byte & 0xC0) == 0x80;
            if (std::isspace(byte) != 0) {
                m_unbroken = 0;
                m_inReference = false;
            } else if (m_unbroken >= kUnbrokenBytes && !continuation && !m_inReference) {
                m_page.html += "\u200B";
                m_unbroken = 0;
            }
            if (c == '&') m_inReference = true;
            if (c == ';' || m_unbroken > kUnbrokenBytes + 32) m_inReference = false;
            if (std::isspace(byte) == 0) ++m_unbroken;
            m_page.html += c;
        }
    }

    std::size_t startTag(const std::string& name, std::string_view tag, std::size_t end) {
        if (++m_elements > HTMLBounds::kMaximumElements) {
            m_page.cut = m_ended = true;
            return m_html.size();
        }
        const bool nests = !isVoidElement(name);
        const bool tooManyTables =
            (name == "table" && std::count(m_open.begin(), m_open.end(), "table") >=
                                    static_cast<std::ptrdiff_t>(HTMLBounds::kMaximumTableDepth)) ||
            (isTablePart(name) && m_droppedOpen["table"] > 0);
        if ((nests && m_open.size() >= HTMLBounds::kMaximumDepth) || tooManyTables) {
            // Too deep: the tag goes, its content stays at this depth.
            ++m_droppedOpen[name];
            m_page.cut = true;
        } else {
            m_page.html += tag;
            if (nests) m_open.push_back(name);
        }
        if (!isRawTextElement(name)) return end;
        // The content is not markup: copied (or skipped with its tag) as it stands.
        std::size_t close = end;
        while (close < m_html.size()) {
            close = m_html.find("</", close);
            if (close == std::string_view::npos || tagName(m_html, close + 2) == name) break;
            close += 2;
        }
        if (close == std::string_view::npos) close = m_html.size();
        if (!m_open.empty() && m_open.back() == name)
            m_page.html += m_html.substr(end, close - end);
        return close;
    }

    void endTag(const std::string& name, std::string_view tag) {
        if (auto dropped = m_droppedOpen.find(name);
            dropped != m_droppedOpen.end() && dropped->second > 0) {
            --dropped->second;
            return;
        }
        const auto open = std::find(m_open.rbegin(), m_open.rend(), name);
        if (open == m_open.rend()) return;  // closes nothing: left out
        m_open.erase(std::next(open).base(), m_open.end());
        m_page.html += tag;
    }

    static constexpr std::size_t kMaximumText = HTMLBounds::kMaximumTextBytes;
    std::string_view m_html;
    HTMLBounds::Page m_page;
    bool m_ended = false;  // the page ends here: the rest is left out
    static constexpr std::size_t kUnbrokenBytes = 32;
    std::size_t m_unbroken = 0;  // bytes of text since the last break opportunity
    bool m_inReference = false;
    std::vector<std::string> m_open;
    std::map<std::string, std::size_t> m_droppedOpen;
    std::size_t m_elements = 0;
    std::size_t m_textBytes = 0;
};

}  // namespace

HTMLBounds::Page HTMLBounds::bound(std::string_view html) {
    return Bounder(html).run();
}

}  // namespace platform
