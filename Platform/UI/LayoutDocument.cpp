#include "LayoutDocument.h"

#include "LayoutError.h"
#include "Platform/Foundation/FileContents.h"
#include "Platform/Foundation/XMLParser.h"

namespace platform {
namespace {

// Far deeper than any screen needs; the limit keeps the recursive building and
// destruction of the tree from exhausting the stack on a hostile file.
constexpr std::size_t kDeepestNesting = 200;

// Builds the element tree from the parser's events. Remembers the first
// problem and stops the parse there.
class ElementCollector final : public XMLParserDelegate {
  public:
    void parserDidStartElement(XMLParser& parser, std::string_view name, std::string_view,
                               std::string_view, const XMLAttributes& attributes) override {
        if (!m_problem.empty()) return;
        if (m_open.size() >= kDeepestNesting) {
            m_problem = "views nest more than " + std::to_string(kDeepestNesting) + " deep";
            parser.abortParsing();
            return;
        }
        LayoutElement element;
        element.name = std::string(name);
        for (auto attribute : attributes) {
            element.attributes.emplace_back(std::string(attribute.name),
                                            std::string(attribute.value));
        }
        if (m_open.empty()) {
            m_root = std::move(element);
            m_open.push_back(&m_root);
        } else {
            auto& siblings = m_open.back()->children;
            siblings.push_back(std::move(element));
            m_open.push_back(&siblings.back());
        }
    }

    void parserDidEndElement(XMLParser&, std::string_view, std::string_view,
                             std::string_view) override {
        if (m_problem.empty() && !m_open.empty()) m_open.pop_back();
    }

    void parserFoundCharacters(XMLParser& parser, std::string_view characters) override {
        if (!m_problem.empty()) return;
        for (char c : characters) {
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
                m_problem = "text is not allowed in a layout (inside <" +
                            (m_open.empty() ? std::string("layout") : m_open.back()->name) + ">)";
                parser.abortParsing();
                return;
            }
        }
    }

    void parserFoundCDATA(XMLParser& parser, std::string_view text) override {
        parserFoundCharacters(parser, text.empty() ? std::string_view("-") : text);
    }

    LayoutElement m_root;
    std::vector<LayoutElement*> m_open;  // the path to the element being read
    std::string m_problem;
};

}  // namespace

const std::string* LayoutElement::attribute(std::string_view attributeName) const {
    for (const auto& [key, value] : attributes) {
        if (key == attributeName) return &value;
    }
    return nullptr;
}

std::string LayoutElement::describe() const {
    std::string text = "<" + name;
    for (std::string_view key : {"id", "outlet", "class"}) {
        if (const auto* value = attribute(key)) {
            text.append(" ").append(key).append("=\"").append(*value).append("\"");
            break;
        }
    }
    return text + ">";
}

LayoutElement LayoutDocument::read(const std::filesystem::path& path) {
    // A board may bring its own layouts: read without blocking, and bounded.
    auto contents = readFileContents(path, kMaximumBytes);
    if (contents.tooLarge()) {
        throw LayoutError("is " + sizeText(contents.size) + ", over the " +
                          sizeText(kMaximumBytes) + " a layout may have");
    }
    if (!contents.bytes) throw LayoutError("cannot be read");

    auto parser = XMLParser::initWithData(std::move(*contents.bytes));
    if (!parser) throw LayoutError("cannot be read");
    ElementCollector collector;
    parser->setDelegate(&collector);
    bool wellFormed = parser->parse();
    parser->setDelegate(nullptr);
    if (!collector.m_problem.empty()) throw LayoutError(collector.m_problem);
    if (!wellFormed) {
        const auto& error = parser->parserError();
        std::string message = "malformed XML";
        if (error) {
            message += " at line " + std::to_string(error->line) + ", column " +
                       std::to_string(error->column) + ": " + error->message;
        }
        throw LayoutError(message);
    }
    return std::move(collector.m_root);
}

}  // namespace platform
