#pragma once

#include "URL.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class XMLParser;

// The error value a parse reports: expat's code, position and message.
struct XMLParseError {
    int code = 0;
    long line = 0;
    long column = 0;
    std::string message;
};

// The attributes of one element start, in document order, as the parser hands
// them over: names as written, values decoded. Valid only during the callback.
class XMLAttributes {
  public:
    struct Attribute {
        std::string_view name;
        std::string_view value;
    };
    explicit XMLAttributes(const char** pairs) : m_pairs(pairs) {}

    std::size_t size() const;
    bool empty() const { return m_pairs == nullptr || m_pairs[0] == nullptr; }
    Attribute operator[](std::size_t index) const;  // index < size()
    std::optional<std::string_view> find(std::string_view name) const;

    class Iterator {
      public:
        explicit Iterator(const char** at) : m_at(at) {}
        Attribute operator*() const { return {m_at[0], m_at[1]}; }
        Iterator& operator++() {
            m_at += 2;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return m_at != other.m_at; }

      private:
        const char** m_at;
    };
    Iterator begin() const;
    Iterator end() const;

  private:
    const char** m_pairs;  // name, value, name, value, ..., nullptr
};

// The six events of a parse, in document order. Empty defaults.
// With namespace processing off (the default), `name` is the element name as
// written, prefix included, and `namespaceURI` and `qualifiedName` are empty.
// With it on, `name` is the local name, `namespaceURI` the bound namespace and
// `qualifiedName` the name as written; attribute names arrive as written too.
// The content of CDATA sections is not character data here; it goes to
// parserFoundCDATA, which only delegates that ask for it implement.
class XMLParserDelegate {
  public:
    virtual ~XMLParserDelegate() = default;
    virtual void parserDidStartDocument(XMLParser&) {}
    virtual void parserDidStartElement(XMLParser&, std::string_view /*name*/,
                                       std::string_view /*namespaceURI*/,
                                       std::string_view /*qualifiedName*/,
                                       const XMLAttributes& /*attributes*/) {}
    virtual void parserDidEndElement(XMLParser&, std::string_view /*name*/,
                                     std::string_view /*namespaceURI*/,
                                     std::string_view /*qualifiedName*/) {}
    // Character data as expat delivers it: one run may arrive in several calls.
    virtual void parserFoundCharacters(XMLParser&, std::string_view /*characters*/) {}
    virtual void parserParseErrorOccurred(XMLParser&, const XMLParseError&) {}
    // Called only when the whole input was parsed without error.
    virtual void parserDidEndDocument(XMLParser&) {}
    // The text of a CDATA section, possibly in several calls.
    virtual void parserFoundCDATA(XMLParser&, std::string_view /*text*/) {}
};

// An event-driven XML 1.0 parser on expat over bytes it keeps for its whole life.
// Each parse() starts afresh over the same input. Namespace processing is off by
// default and element names are delivered as written. External entities are
// never fetched, and expat's protection against entity amplification stays on
// (a hundredfold at most), checked from the first 256 KiB parsed on. Only the
// encodings expat knows itself are read (UTF-8, UTF-16, ISO-8859-1, US-ASCII);
// a declaration of any other encoding is a parse error.
class XMLParser {
  public:
    static std::shared_ptr<XMLParser> initWithData(std::string data);
    // File URLs (and URLs without a scheme, read as paths) only; none for any
    // other scheme or an unreadable file.
    static std::shared_ptr<XMLParser> initWithContentsOfURL(const URL& url);

    virtual ~XMLParser();
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    // Non-owning; the delegate must outlive any parse() it receives events from.
    void setDelegate(XMLParserDelegate* delegate) { m_delegate = delegate; }
    XMLParserDelegate* delegate() const { return m_delegate; }
    void setShouldProcessNamespaces(bool value) { m_processNamespaces = value; }
    void setShouldReportNamespacePrefixes(bool value) { m_reportNamespacePrefixes = value; }
    // Accepted for interface parity; external entities are never resolved.
    void setShouldResolveExternalEntities(bool value) { m_resolveExternalEntities = value; }

    // Runs the whole parse synchronously. True when the input was well formed.
    // The first fatal error stops it: the delegate hears of it once, parse()
    // answers false and parserError() keeps it (line from 1, column from 0, as
    // expat counts). A parse() started from inside one of this parser's own
    // events answers false and does nothing.
    bool parse();
    // Stops the running parse after the current event; parse() then answers
    // false and parserError() holds expat's "parsing aborted" error. The
    // delegate is not told: it asked for the stop. Outside a parse it does nothing.
    void abortParsing();
    const std::optional<XMLParseError>& parserError() const { return m_error; }
    const std::string& data() const { return m_data; }

  protected:
    explicit XMLParser(std::string data);
    // The bytes of a file URL, or of a URL without a scheme read as a path.
    // None for other schemes, a remote host, or anything but a readable regular file.
    static std::optional<std::string> readContentsOfURL(const URL& url);

  private:
    struct ExpatEvents;  // the expat callbacks; they forward to the delegate
    friend struct ExpatEvents;

    std::string m_data;
    XMLParserDelegate* m_delegate = nullptr;
    bool m_processNamespaces = false;
    bool m_reportNamespacePrefixes = false;
    bool m_resolveExternalEntities = false;
    bool m_abortRequested = false;
    bool m_inCDATA = false;
    std::vector<std::string> m_qualifiedAttributeNames;  // scratch, namespace mode only
    std::vector<const char*> m_qualifiedAttributes;      // scratch, namespace mode only
    std::optional<XMLParseError> m_error;
    void* m_activeParser = nullptr;  // the expat handle during parse(), else null
};

}  // namespace platform
