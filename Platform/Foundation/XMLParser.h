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
        Iterator& operator++() { m_at += 2; return *this; }
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
    virtual void parserDidEndDocument(XMLParser&) {}
};

// An event-driven XML 1.0 parser on expat over bytes it keeps for its whole life.
// Each parse() starts afresh over the same input. Namespace processing is off by
// default and element names are delivered as written. External entities are
// never fetched, and expat's protection against entity amplification stays on.
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
    bool parse();
    // Stops the running parse after the current event; parse() then answers false.
    void abortParsing();
    const std::optional<XMLParseError>& parserError() const { return m_error; }
    const std::string& data() const { return m_data; }

protected:
    explicit XMLParser(std::string data);

private:
    std::string m_data;
    XMLParserDelegate* m_delegate = nullptr;
    bool m_processNamespaces = false;
    bool m_reportNamespacePrefixes = false;
    bool m_resolveExternalEntities = false;
    bool m_abortRequested = false;
    std::optional<XMLParseError> m_error;
    void* m_activeParser = nullptr;  // the expat handle during parse(), else null
};

}  // namespace platform
