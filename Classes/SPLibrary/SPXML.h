#pragma once

#include "SPXMLElement.h"
#include "SPXMLErrorDelegate.h"

#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/XMLParser.h"

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Reads an XML text into a tree of SPXMLElement nodes. The reader is its own
// parser delegate: document start begins a fresh tree under a synthetic root,
// each element start adds an element under the current one, and each piece of
// character data that is not blank once trimmed adds a text node. Comments,
// processing instructions, CDATA sections and declarations add nothing.
//
// The reader keeps its input for its whole life; parse() may run again and
// builds an equal tree. A fatal error stops the parse and leaves the tree built
// so far, open elements included. The tree is shared: document() and its
// elements stay valid after the reader is gone.
//
// One thread uses a reader from construction to its last document() call. The
// tree it hands out is read-only from then on: any thread may read it without
// locking (SPXMLElement states the rule for changing it).
class SPXML : public platform::XMLParser, public platform::XMLParserDelegate {
    struct PassKey {
        explicit PassKey() = default;
    };

  public:
    // Parses `data` at once. None only when no parser can be made over it.
    static std::shared_ptr<SPXML> initWithData(std::string data);
    // The same over the file a file URL (or a URL without a scheme) names;
    // none for other schemes and unreadable files.
    static std::shared_ptr<SPXML> initWithContentsOfURL(const platform::URL& url);

    SPXML(PassKey, std::string data);
    ~SPXML() override;

    // Makes this reader the delegate, turns namespace processing, prefix
    // reporting and external entities off, and parses the input from its start.
    // True when the whole input was parsed without a fatal error.
    bool parse();

    // The document element of the latest parse run; null when that run found
    // none, or before any run.
    std::shared_ptr<SPXMLElement> document() const;

    std::shared_ptr<SPXMLErrorDelegate> errorDelegate() const;
    void setErrorDelegate(std::shared_ptr<SPXMLErrorDelegate> delegate);

    void parserDidStartDocument(platform::XMLParser& parser) override;
    void parserDidStartElement(platform::XMLParser& parser, std::string_view name,
                               std::string_view namespaceURI, std::string_view qualifiedName,
                               const platform::XMLAttributes& attributes) override;
    void parserDidEndElement(platform::XMLParser& parser, std::string_view name,
                             std::string_view namespaceURI,
                             std::string_view qualifiedName) override;
    void parserFoundCharacters(platform::XMLParser& parser, std::string_view characters) override;
    void parserParseErrorOccurred(platform::XMLParser& parser,
                                  const platform::XMLParseError& error) override;
    void parserDidEndDocument(platform::XMLParser& parser) override;

  private:
    // The shared shape for an element `name` with these attributes, made once
    // per distinct combination within a parse run.
    std::shared_ptr<const SPXMLElementShape> shapeFor(std::string_view name,
                                                      const platform::XMLAttributes& attributes);

    struct StringHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    using ShapeCache =
        std::unordered_map<std::string, std::vector<std::shared_ptr<const SPXMLElementShape>>,
                           StringHash, std::equal_to<>>;

    std::shared_ptr<SPXMLElement> m_rootElement;     // the synthetic root of the latest run
    std::shared_ptr<SPXMLElement> m_currentElement;  // receives the next child, during a run
    mutable std::mutex m_errorDelegateMutex;
    std::shared_ptr<SPXMLErrorDelegate> m_errorDelegate;
    ShapeCache m_shapes;                     // during a run only
    std::vector<std::string_view> m_values;  // scratch for one element's attribute values
};
