#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A parsed URI reference (RFC 3986) on uriparser. Immutable value type.
class URL {
  public:
    // None for text that is not a URI reference. A bare absolute path such as
    // "/usr/share/x.html" parses as a URL with no scheme and that path.
    static std::optional<URL> URLWithString(std::string_view text);
    // "file://" plus the path, percent-escaped where a URI path may not carry
    // a character (blank as %20, "%" as %25, non-ASCII as %XX of its UTF-8 bytes).
    // Every byte but the unreserved ones and "/" is escaped. A relative path is
    // taken from the current folder, as a host-less file URL needs a full path.
    static URL fileURLWithPath(std::string_view path);
    // The text of a scheme-less URL whose path is exactly `path`, to give to
    // URLWithString. The characters a URI path carries as themselves (unreserved,
    // sub-delimiters, ":", "@", "/") stay, so an ordinary path comes back unchanged;
    // every other byte ("%", "#", "?", blanks, controls, non-ASCII) becomes %XX. In a
    // relative path a ":" of the first segment is escaped too (it would read as a
    // scheme), and so is the second of two leading slashes (they would start a host).
    static std::string pathText(std::string_view path);

    // The scheme exactly as written (case kept); none when absent.
    const std::optional<std::string>& scheme() const { return m_scheme; }
    // None when there is no authority or its host is empty ("file:///x").
    std::optional<std::string> host() const;
    // The text after "?" up to any "#", still escaped; none without a "?".
    std::optional<std::string> query() const;
    // The path, percent-decoded. Empty when the URL has none.
    std::string path() const;
    // The text the URL was made from (for fileURLWithPath: the escaped form).
    const std::string& absoluteString() const { return m_text; }
    const std::string& relativeString() const { return m_text; }
    // The last "/"-separated component of the decoded path, trailing slashes ignored;
    // "/" for the root path, "" when there is no path.
    std::string lastPathComponent() const;
    bool isFileURL() const;

    bool operator==(const URL& other) const { return m_text == other.m_text; }

  private:
    URL() = default;
    std::string m_text;
    std::optional<std::string> m_scheme;
    std::optional<std::string> m_host;
    std::optional<std::string> m_query;
    std::string m_rawPath;  // still percent-escaped
};

}  // namespace platform
