#include "HTMLLinkScanner.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>

namespace platform {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool startsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
    if (at > text.size() || text.size() - at < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lower(text[at + i]) != prefix[i]) return false;
    }
    return true;
}

std::size_t findNoCase(std::string_view text, std::size_t from, std::string_view needle) {
    for (std::size_t at = from; at < text.size(); ++at) {
        if (startsWithNoCase(text, at, needle)) return at;
    }
    return std::string_view::npos;
}

void appendUtf8(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// The value of "#123" or "#x7B" (without "&" and ";"), or none when malformed.
// Values past U+10FFFF saturate there, so long digit runs cannot overflow.
std::optional<std::uint32_t> numericReference(std::string_view body) {
    if (body.size() < 2 || body[0] != '#') return std::nullopt;
    const bool hex = lower(body[1]) == 'x';
    const std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty()) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && lower(c) >= 'a' && lower(c) <= 'f') {
            digit = lower(c) - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
    }
    return value;
}

bool isScalarValue(std::uint32_t codePoint) {
    return codePoint != 0 && codePoint < 0x110000 && !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
}

std::string collapseWhiteSpace(std::string_view text) {
    std::string out;
    bool pendingSpace = false;
    for (char c : text) {
        if (isSpace(c)) {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace) out += ' ';
        pendingSpace = false;
        out += c;
    }
    return out;
}

// The text between tags, without the tags.
std::string stripTags(std::string_view html) {
    std::string out;
    bool inTag = false;
    for (char c : html) {
        if (c == '<') {
            inTag = true;
        } else if (c == '>' && inTag) {
            inTag = false;
        } else if (!inTag) {
            out += c;
        }
    }
    return out;
}

// Whether a tag named `name` (lower case) starts or ends at `at` ("<a ", "</a>").
bool isTagNamed(std::string_view html, std::size_t at, std::string_view name) {
    if (!startsWithNoCase(html, at, name)) return false;
    const std::size_t after = at + name.size();
    return after >= html.size() || isSpace(html[after]) || html[after] == '>' || html[after] == '/';
}

// A link's text ends at its </a>, or where another link starts (an unclosed
// <a>), or at the end of the page. Stopping at the next link keeps the scan
// linear on pages full of unclosed anchors.
std::size_t endOfLinkText(std::string_view html, std::size_t from) {
    for (std::size_t i = html.find('<', from); i != std::string_view::npos;
         i = html.find('<', i + 1)) {
        if (isTagNamed(html, i + 1, "a") || isTagNamed(html, i + 1, "/a")) return i;
    }
    return html.size();
}

struct Tag {
    std::optional<std::string> href;
    std::size_t end = 0;  // just past '>'
};

// Reads the attributes of a start tag whose name ends at `at`, up to its '>'.
Tag readAnchorAttributes(std::string_view html, std::size_t at) {
    Tag tag;
    std::size_t i = at;
    while (i < html.size() && html[i] != '>') {
        if (isSpace(html[i]) || html[i] == '/') {
            ++i;
            continue;
        }
        const std::size_t nameStart = i;
        while (i < html.size() && !isSpace(html[i]) && html[i] != '=' && html[i] != '>') ++i;
        std::string name(html.substr(nameStart, i - nameStart));
        std::transform(name.begin(), name.end(), name.begin(), lower);
        while (i < html.size() && isSpace(html[i])) ++i;
        if (i >= html.size() || html[i] != '=') continue;  // an attribute without a value
        ++i;
        while (i < html.size() && isSpace(html[i])) ++i;
        std::string_view value;
        if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
            const char quote = html[i++];
            const std::size_t close = std::min(html.find(quote, i), html.size());
            value = html.substr(i, close - i);
            i = close < html.size() ? close + 1 : close;
        } else {
            const std::size_t valueStart = i;
            while (i < html.size() && !isSpace(html[i]) && html[i] != '>') ++i;
            value = html.substr(valueStart, i - valueStart);
        }
        if (name == "href" && !tag.href) tag.href = HTMLLinkScanner::decodeEntities(value);
    }
    tag.end = i < html.size() ? i + 1 : html.size();
    return tag;
}

// Where to continue after content that holds no links (a comment, a script, a style).
std::optional<std::size_t> skipOpaqueContent(std::string_view html, std::size_t at) {
    if (html.compare(at, 4, "<!--") == 0) {
        const std::size_t close = html.find("-->", at + 4);
        return close == std::string_view::npos ? html.size() : close + 3;
    }
    for (std::string_view element : {std::string_view("script"), std::string_view("style")}) {
        const std::size_t nameEnd = at + 1 + element.size();
        if (startsWithNoCase(html, at + 1, element) &&
            (nameEnd >= html.size() || isSpace(html[nameEnd]) || html[nameEnd] == '>')) {
            const std::size_t close = findNoCase(html, nameEnd, std::string("</") += element);
            return close == std::string_view::npos ? html.size() : close + 2 + element.size();
        }
    }
    return std::nullopt;
}

}  // namespace

std::string HTMLLinkScanner::decodeEntities(std::string_view text) {
    static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", "\xC2\xA0"},
    };
    // Longer references are left as written; the bound keeps the search for
    // the ';' short, so text full of '&' decodes in linear time.
    constexpr std::size_t kLongestReference = 32;
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t semicolon =
            text[i] == '&' ? text.substr(0, i + 2 + kLongestReference).find(';', i + 1)
                           : std::string_view::npos;
        if (semicolon == std::string_view::npos) {
            out += text[i++];
            continue;
        }
        const std::string_view body = text.substr(i + 1, semicolon - i - 1);
        bool decoded = false;
        if (auto number = numericReference(body)) {
            appendUtf8(out, isScalarValue(*number) ? *number : 0xFFFD);
            decoded = true;
        } else {
            for (const auto& [name, replacement] : kNamed) {
                if (body == name) {
                    out += replacement;
                    decoded = true;
                    break;
                }
            }
        }
        if (decoded) {
            i = semicolon + 1;
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::vector<HTMLLinkScanner::Link> HTMLLinkScanner::scan(std::string_view html) {
    std::vector<Link> links;
    std::size_t i = 0;
    while ((i = html.find('<', i)) != std::string_view::npos) {
        if (auto next = skipOpaqueContent(html, i)) {
            i = *next;
            continue;
        }
        if (!isTagNamed(html, i + 1, "a")) {
            ++i;
            continue;
        }
        const Tag tag = readAnchorAttributes(html, i + 2);
        const std::size_t textEnd = endOfLinkText(html, tag.end);
        if (tag.href) {
            const std::string text =
                decodeEntities(stripTags(html.substr(tag.end, textEnd - tag.end)));
            links.push_back({*tag.href, collapseWhiteSpace(text)});
        }
        i = textEnd;
    }
    return links;
}

}  // namespace platform
