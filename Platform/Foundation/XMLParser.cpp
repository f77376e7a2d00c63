#include "XMLParser.h"

// The installed expat is built with DTD support; its header declares the
// entity-amplification settings only when told so.
#ifndef XML_DTD
#define XML_DTD 1
#endif
#include <expat.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace platform {

namespace {

struct ExpatParserFree {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using ExpatParserPtr = std::unique_ptr<XML_ParserStruct, ExpatParserFree>;

// In namespace mode expat joins namespace URI, local name and prefix with this
// character. A line feed cannot occur in a namespace name or an XML name.
constexpr XML_Char kNamespaceSeparator = '\n';

// Bytes parsed (input plus entity expansions) before the amplification guard
// starts checking.
constexpr unsigned long long kAmplificationCheckStart = 256 * 1024;

// XML_Parse takes an int length; larger inputs go in pieces of this size.
constexpr std::size_t kLargestChunk = std::size_t{1} << 30;

// The parts of an expat name in namespace mode: "uri\nlocal\nprefix",
// "uri\nlocal" or just "local".
struct ExpandedName {
    std::string_view namespaceURI;
    std::string_view localName;
    std::string_view prefix;
};

ExpandedName splitExpandedName(std::string_view name) {
    const std::size_t first = name.find(kNamespaceSeparator);
    if (first == std::string_view::npos) return {{}, name, {}};
    ExpandedName parts;
    parts.namespaceURI = name.substr(0, first);
    std::string_view rest = name.substr(first + 1);
    const std::size_t second = rest.find(kNamespaceSeparator);
    parts.localName = rest.substr(0, second);
    if (second != std::string_view::npos) parts.prefix = rest.substr(second + 1);
    return parts;
}

std::string qualifiedName(const ExpandedName& parts) {
    if (parts.prefix.empty()) return std::string(parts.localName);
    std::string name(parts.prefix);
    name += ':';
    name += parts.localName;
    return name;
}

std::string messageOf(XML_Error code) {
    const XML_LChar* message = XML_ErrorString(code);
    return message != nullptr ? message : "unknown error";
}

XMLParseError errorOf(XML_Parser parser, XML_Error code) {
    XMLParseError error;
    error.code = static_cast<int>(code);
    error.line = static_cast<long>(XML_GetCurrentLineNumber(parser));
    error.column = static_cast<long>(XML_GetCurrentColumnNumber(parser));
    error.message = messageOf(code);
    return error;
}

}  // namespace

// Expat calls these with the XMLParser as user data; each forwards one event.
struct XMLParser::ExpatEvents {
    static XMLParser& self(void* userData) { return *static_cast<XMLParser*>(userData); }

    static void startElement(void* userData, const XML_Char* name, const XML_Char** attributes) {
        XMLParser& parser = self(userData);
        if (parser.m_delegate == nullptr) return;
        if (!parser.m_processNamespaces) {
            parser.m_delegate->parserDidStartElement(parser, name, {}, {},
                                                     XMLAttributes(attributes));
            return;
        }
        const ExpandedName parts = splitExpandedName(name);
        const std::string written = qualifiedName(parts);
        // Attribute names are handed over as written, prefix included.
        parser.m_qualifiedAttributeNames.clear();
        parser.m_qualifiedAttributes.clear();
        for (const XML_Char** at = attributes; *at != nullptr; at += 2) {
            parser.m_qualifiedAttributeNames.push_back(qualifiedName(splitExpandedName(at[0])));
        }
        for (std::size_t i = 0; i < parser.m_qualifiedAttributeNames.size(); ++i) {
            parser.m_qualifiedAttributes.push_back(parser.m_qualifiedAttributeNames[i].c_str());
            parser.m_qualifiedAttributes.push_back(attributes[2 * i + 1]);
        }
        parser.m_qualifiedAttributes.push_back(nullptr);
        parser.m_delegate->parserDidStartElement(
            parser, parts.localName, parts.namespaceURI, written,
            XMLAttributes(parser.m_qualifiedAttributes.data()));
    }

    static void endElement(void* userData, const XML_Char* name) {
        XMLParser& parser = self(userData);
        if (parser.m_delegate == nullptr) return;
        if (!parser.m_processNamespaces) {
            parser.m_delegate->parserDidEndElement(parser, name, {}, {});
            return;
        }
        const ExpandedName parts = splitExpandedName(name);
        parser.m_delegate->parserDidEndElement(parser, parts.localName, parts.namespaceURI,
                                               qualifiedName(parts));
    }

    static void characterData(void* userData, const XML_Char* text, int length) {
        XMLParser& parser = self(userData);
        if (parser.m_delegate == nullptr || length <= 0) return;
        const std::string_view characters(text, static_cast<std::size_t>(length));
        if (parser.m_inCDATA) {
            parser.m_delegate->parserFoundCDATA(parser, characters);
        } else {
            parser.m_delegate->parserFoundCharacters(parser, characters);
        }
    }

    static void startCDATA(void* userData) { self(userData).m_inCDATA = true; }
    static void endCDATA(void* userData) { self(userData).m_inCDATA = false; }
};

std::shared_ptr<XMLParser> XMLParser::initWithData(std::string data) {
    // The constructor is protected so that subclasses decide how they are made.
    struct Constructible : XMLParser {
        explicit Constructible(std::string bytes) : XMLParser(std::move(bytes)) {}
    };
    return std::make_shared<Constructible>(std::move(data));
}

std::shared_ptr<XMLParser> XMLParser::initWithContentsOfURL(const URL& url) {
    std::optional<std::string> contents = readContentsOfURL(url);
    if (!contents) return nullptr;
    return initWithData(std::move(*contents));
}

std::optional<std::string> XMLParser::readContentsOfURL(const URL& url) {
    if (url.scheme() && !url.isFileURL()) return std::nullopt;
    if (url.scheme()) {
        const std::optional<std::string> host = url.host();
        if (host && !host->empty() && *host != "localhost") return std::nullopt;
    }
    const std::filesystem::path path(url.path());
    std::error_code error;
    // Only regular files: a FIFO or a device could block or never end.
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return contents;
}

XMLParser::XMLParser(std::string data) : m_data(std::move(data)) {}

XMLParser::~XMLParser() = default;

bool XMLParser::parse() {
    if (m_activeParser != nullptr) return false;
    ExpatParserPtr parser(m_processNamespaces ? XML_ParserCreateNS(nullptr, kNamespaceSeparator)
                                              : XML_ParserCreate(nullptr));
    m_error.reset();
    m_abortRequested = false;
    m_inCDATA = false;
    if (!parser) {
        m_error = XMLParseError{static_cast<int>(XML_ERROR_NO_MEMORY), 0, 0,
                                messageOf(XML_ERROR_NO_MEMORY)};
        if (m_delegate != nullptr) m_delegate->parserParseErrorOccurred(*this, *m_error);
        return false;
    }
    XML_Parser expat = parser.get();
    XML_SetUserData(expat, this);
    XML_SetElementHandler(expat, &ExpatEvents::startElement, &ExpatEvents::endElement);
    XML_SetCharacterDataHandler(expat, &ExpatEvents::characterData);
    XML_SetCdataSectionHandler(expat, &ExpatEvents::startCDATA, &ExpatEvents::endCDATA);
    // No external entity handler is installed, so external entities are never
    // read; parameter entities (and with them external DTD subsets) are off too.
    XML_SetParamEntityParsing(expat, XML_PARAM_ENTITY_PARSING_NEVER);
    // Expat's amplification guard stays on with its factor (100); it only starts
    // checking once this much has been parsed. Expat's own 8 MiB start lets a
    // nested-entity attack hand millions of tiny text events to the delegate,
    // each a node in a tree; real documents never amplify a hundredfold at all.
    XML_SetBillionLaughsAttackProtectionActivationThreshold(expat, kAmplificationCheckStart);
    if (m_processNamespaces) XML_SetReturnNSTriplet(expat, XML_TRUE);

    struct ActiveParserScope {
        XMLParser& owner;
        ~ActiveParserScope() { owner.m_activeParser = nullptr; }
    } activeScope{*this};
    m_activeParser = expat;

    if (m_delegate != nullptr) m_delegate->parserDidStartDocument(*this);

    bool succeeded = !m_abortRequested;
    std::string_view remaining(m_data);
    while (succeeded) {
        const std::size_t length = std::min(remaining.size(), kLargestChunk);
        const bool isFinal = length == remaining.size();
        if (XML_Parse(expat, remaining.data(), static_cast<int>(length), isFinal) !=
            XML_STATUS_OK) {
            succeeded = false;
        }
        remaining.remove_prefix(length);
        if (isFinal) break;
    }

    if (m_abortRequested) {
        m_error = errorOf(expat, XML_ERROR_ABORTED);
        return false;
    }
    if (!succeeded) {
        m_error = errorOf(expat, XML_GetErrorCode(expat));
        if (m_delegate != nullptr) m_delegate->parserParseErrorOccurred(*this, *m_error);
        return false;
    }
    if (m_delegate != nullptr) m_delegate->parserDidEndDocument(*this);
    return true;
}

void XMLParser::abortParsing() {
    if (m_activeParser == nullptr) return;
    m_abortRequested = true;
    XML_StopParser(static_cast<XML_Parser>(m_activeParser), XML_FALSE);
}

}  // namespace platform
