#include "SPXML.h"

#include "SPXMLWhitespace.h"

#include <algorithm>

namespace {

// Bounds on the shape cache, so that markup with endless distinct names or
// attribute combinations costs no more than unshared shapes would.
constexpr std::size_t kMaxCachedNames = 256;
constexpr std::size_t kMaxShapesPerName = 8;

bool hasAttributeNames(const SPXMLElementShape& shape, const platform::XMLAttributes& attributes) {
    std::size_t index = 0;
    for (const platform::XMLAttributes::Attribute attribute : attributes) {
        if (index >= shape.attributeNames.size() || shape.attributeNames[index] != attribute.name) {
            return false;
        }
        ++index;
    }
    return index == shape.attributeNames.size();
}

}  // namespace

std::shared_ptr<SPXML> SPXML::initWithData(std::string data) {
    auto reader = std::make_shared<SPXML>(PassKey{}, std::move(data));
    reader->parse();
    return reader;
}

std::shared_ptr<SPXML> SPXML::initWithContentsOfURL(const platform::URL& url) {
    std::optional<std::string> contents = readContentsOfURL(url);
    if (!contents) return nullptr;
    return initWithData(std::move(*contents));
}

SPXML::SPXML(PassKey, std::string data) : XMLParser(std::move(data)) {}

SPXML::~SPXML() = default;

bool SPXML::parse() {
    setDelegate(this);
    setShouldProcessNamespaces(false);
    setShouldReportNamespacePrefixes(false);
    setShouldResolveExternalEntities(false);
    const bool parsed = XMLParser::parse();
    // Shapes live on in the elements that use them; the cache is only for a run.
    m_shapes.clear();
    m_values.clear();
    return parsed;
}

std::shared_ptr<SPXMLElement> SPXML::document() const {
    return m_rootElement ? m_rootElement->childAt(0) : nullptr;
}

std::shared_ptr<SPXMLErrorDelegate> SPXML::errorDelegate() const {
    std::lock_guard lock(m_errorDelegateMutex);
    return m_errorDelegate;
}

void SPXML::setErrorDelegate(std::shared_ptr<SPXMLErrorDelegate> delegate) {
    std::lock_guard lock(m_errorDelegateMutex);
    m_errorDelegate.swap(delegate);
}

void SPXML::parserDidStartDocument(platform::XMLParser&) {
    // The previous tree goes; whoever holds any of its elements keeps them.
    m_shapes.clear();
    m_rootElement = SPXMLElement::init();
    m_rootElement->markBuiltByReader();
    m_currentElement = m_rootElement;
}

void SPXML::parserDidStartElement(platform::XMLParser&, std::string_view name, std::string_view,
                                  std::string_view, const platform::XMLAttributes& attributes) {
    if (!m_currentElement) return;
    m_values.clear();
    for (const platform::XMLAttributes::Attribute attribute : attributes) {
        m_values.push_back(attribute.value);
    }
    auto element =
        SPXMLElement::initWithShape(shapeFor(name, attributes), m_currentElement, m_values);
    element->markBuiltByReader();
    m_currentElement->appendChild(element);
    m_currentElement = std::move(element);
}

void SPXML::parserDidEndElement(platform::XMLParser&, std::string_view, std::string_view,
                                std::string_view) {
    if (!m_currentElement) return;
    if (auto parent = m_currentElement->parent()) m_currentElement = std::move(parent);
}

void SPXML::parserFoundCharacters(platform::XMLParser&, std::string_view characters) {
    // One event, one text node: text the parser splits (at a reference, say)
    // stays split, each piece trimmed on its own.
    const std::string_view trimmed = SPXMLTrimWhitespace(characters);
    if (trimmed.empty() || !m_currentElement) return;
    auto text = SPXMLElement::elementFromParent(m_currentElement, std::string(trimmed));
    text->markBuiltByReader();
    m_currentElement->appendChild(std::move(text));
}

void SPXML::parserParseErrorOccurred(platform::XMLParser&, const platform::XMLParseError& error) {
    if (auto delegate = errorDelegate()) delegate->parserParseErrorOccurred(*this, error);
}

void SPXML::parserDidEndDocument(platform::XMLParser&) {}

std::shared_ptr<const SPXMLElementShape> SPXML::shapeFor(
    std::string_view name, const platform::XMLAttributes& attributes) {
    auto makeShape = [&] {
        auto shape = std::make_shared<SPXMLElementShape>();
        shape->name.emplace(name);
        for (const platform::XMLAttributes::Attribute attribute : attributes) {
            shape->attributeNames.emplace_back(attribute.name);
        }
        return std::shared_ptr<const SPXMLElementShape>(std::move(shape));
    };
    auto cached = m_shapes.find(name);
    if (cached == m_shapes.end()) {
        if (m_shapes.size() >= kMaxCachedNames) return makeShape();
        cached = m_shapes.emplace(std::string(name), ShapeCache::mapped_type{}).first;
    }
    auto& candidates = cached->second;
    const auto match = std::find_if(candidates.begin(), candidates.end(), [&](const auto& shape) {
        return hasAttributeNames(*shape, attributes);
    });
    if (match != candidates.end()) return *match;
    auto shape = makeShape();
    if (candidates.size() < kMaxShapesPerName) candidates.push_back(shape);
    return shape;
}
