#include "URL.h"

#include <filesystem>
#include <memory>
#include <vector>

#include <uriparser/Uri.h>

namespace platform {
namespace {

struct UriMembersDeleter {
    void operator()(UriUriA* uri) const { uriFreeUriMembersA(uri); }
};
// uriparser fills a caller-owned struct and allocates its members; this frees
// the members when the parse result goes out of scope.
using ParsedUri = std::unique_ptr<UriUriA, UriMembersDeleter>;

std::optional<std::string> textOf(const UriTextRangeA& range) {
    if (range.first == nullptr) return std::nullopt;
    return std::string(range.first, range.afterLast);
}

// The path as written, still escaped. uriparser keeps it as a list of segments
// (an empty segment is not inside the source text), so rebuild it by joining.
std::string rawPathOf(const UriUriA& uri) {
    std::string path;
    bool hasHost = uri.hostText.first != nullptr;
    if (uri.absolutePath == URI_TRUE || (hasHost && uri.pathHead != nullptr)) path = "/";
    for (const UriPathSegmentA* segment = uri.pathHead; segment != nullptr;
         segment = segment->next) {
        if (segment != uri.pathHead) path += '/';
        if (segment->text.first != nullptr)
            path.append(segment->text.first, segment->text.afterLast);
    }
    return path;
}

std::string percentDecoded(std::string_view escaped) {
    // uriparser's in-place decoding ends the text at a decoded NUL, so each
    // run between "%00" escapes is decoded on its own and the NULs put back.
    std::string decoded;
    while (true) {
        std::size_t nul = escaped.find("%00");
        std::vector<char> buffer(
            escaped.begin(), nul == std::string_view::npos ? escaped.end() : escaped.begin() + nul);
        buffer.push_back('\0');
        const char* end = uriUnescapeInPlaceExA(buffer.data(), URI_FALSE, URI_BR_DONT_TOUCH);
        decoded.append(static_cast<const char*>(buffer.data()), end);
        if (nul == std::string_view::npos) return decoded;
        decoded += '\0';
        escaped.remove_prefix(nul + 3);
    }
}

// Escapes one run of path characters between slashes. uriparser escapes all
// but the unreserved characters; it stops at a NUL, so NULs are escaped here.
void appendEscapedSegment(std::string& out, std::string_view segment) {
    while (!segment.empty()) {
        std::size_t nul = segment.find('\0');
        std::string_view run = segment.substr(0, nul);
        if (!run.empty()) {
            std::vector<char> escaped(run.size() * 3 + 1);
            const char* end = uriEscapeExA(run.data(), run.data() + run.size(), escaped.data(),
                                           URI_FALSE, URI_FALSE);
            out.append(static_cast<const char*>(escaped.data()), end);
        }
        if (nul == std::string_view::npos) return;
        out += "%00";
        segment.remove_prefix(nul + 1);
    }
}

// The characters RFC 3986 lets a path segment carry as themselves: unreserved,
// sub-delimiters, ":" and "@".
bool isPathCharacter(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("-._~!$&'()*+,;=:@").find(c) != std::string_view::npos;
}

void appendPercentEscape(std::string& out, char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

}  // namespace

std::string URL::pathText(std::string_view path) {
    std::string text;
    text.reserve(path.size());
    const bool relative = path.empty() || path.front() != '/';
    bool inFirstSegment = true;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '/') {
            inFirstSegment = false;
            if (i == 1 && path[0] == '/') {
                appendPercentEscape(text, c);
            } else {
                text += c;
            }
        } else if (isPathCharacter(c) && !(c == ':' && relative && inFirstSegment)) {
            text += c;
        } else {
            appendPercentEscape(text, c);
        }
    }
    return text;
}

std::optional<URL> URL::URLWithString(std::string_view text) {
    // uriparser rejects a null range, which an empty view may carry.
    const char* first = text.empty() ? "" : text.data();
    UriUriA storage{};
    const char* errorPosition = nullptr;
    if (uriParseSingleUriExA(&storage, first, first + text.size(), &errorPosition) != URI_SUCCESS) {
        // On failure uriparser has already released what it allocated.
        return std::nullopt;
    }
    ParsedUri uri(&storage);

    URL url;
    url.m_text = std::string(text);
    url.m_scheme = textOf(uri->scheme);
    url.m_host = textOf(uri->hostText);
    if (url.m_host && url.m_host->empty()) url.m_host.reset();
    url.m_query = textOf(uri->query);
    url.m_rawPath = rawPathOf(*uri);
    return url;
}

URL URL::fileURLWithPath(std::string_view path) {
    // A relative path is taken from the current folder; without that, its first
    // component would read as the host of the URL.
    std::string absolute(path);
    if (absolute.empty() || absolute.front() != '/') {
        std::error_code failed;
        std::filesystem::path current = std::filesystem::current_path(failed);
        if (failed) current = "/";
        absolute = (current / std::filesystem::path(absolute)).string();
    }

    std::string escaped;
    std::string_view rest(absolute);
    while (true) {
        std::size_t slash = rest.find('/');
        appendEscapedSegment(escaped, rest.substr(0, slash));
        if (slash == std::string_view::npos) break;
        escaped += '/';
        rest.remove_prefix(slash + 1);
    }

    URL url;
    url.m_text = "file://" + escaped;
    url.m_scheme = "file";
    url.m_rawPath = escaped;
    return url;
}

std::optional<std::string> URL::host() const {
    return m_host;
}

std::optional<std::string> URL::query() const {
    return m_query;
}

std::string URL::path() const {
    return percentDecoded(m_rawPath);
}

std::string URL::lastPathComponent() const {
    std::string decoded = path();
    if (decoded.empty()) return decoded;
    std::size_t end = decoded.find_last_not_of('/');
    if (end == std::string::npos) return "/";
    std::size_t start = decoded.rfind('/', end);
    start = start == std::string::npos ? 0 : start + 1;
    return decoded.substr(start, end - start + 1);
}

bool URL::isFileURL() const {
    if (!m_scheme || m_scheme->size() != 4) return false;
    const std::string& s = *m_scheme;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(s[0]) == 'f' && lower(s[1]) == 'i' && lower(s[2]) == 'l' && lower(s[3]) == 'e';
}

}  // namespace platform
