#include "SPXMLElement.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <utility>

namespace {

// One lock per address stripe instead of one per element: an element stays
// small, and two elements rarely share a stripe. No operation holds two stripes.
std::mutex& lockFor(const SPXMLElement* element) {
    static std::array<std::mutex, 64> stripes;
    // Fibonacci hashing spreads the (16-byte aligned) addresses over the stripes.
    const auto address = reinterpret_cast<std::uintptr_t>(element);
    const auto index = static_cast<std::size_t>(
        (static_cast<std::uint64_t>(address) * 0x9E3779B97F4A7C15ULL) >> 58);
    return stripes[index % stripes.size()];
}

const std::shared_ptr<const SPXMLElementShape>& textNodeShape() {
    static const auto shape = std::make_shared<const SPXMLElementShape>(SPXMLElementShape{"", {}});
    return shape;
}

}  // namespace

SPXMLElement::SPXMLElement(PassKey) {}

SPXMLElement::~SPXMLElement() {
    // Children this element alone holds are taken apart here, level by level:
    // their own children move into the work list before they die, so no
    // destructor below this one has anything left to recurse into.
    if (m_children.empty()) return;
    Children pending = std::move(m_children);
    while (!pending.empty()) {
        std::shared_ptr<SPXMLElement> child = std::move(pending.back());
        pending.pop_back();
        if (child && child.use_count() == 1 && !child->m_children.empty()) {
            std::move(child->m_children.begin(), child->m_children.end(),
                      std::back_inserter(pending));
            child->m_children.clear();
        }
    }
}

std::shared_ptr<SPXMLElement> SPXMLElement::init() {
    return std::make_shared<SPXMLElement>(PassKey{});
}

std::shared_ptr<SPXMLElement> SPXMLElement::init(std::string name,
                                                 const std::shared_ptr<SPXMLElement>& parent,
                                                 SPXMLAttributeMap attributes) {
    auto shape = std::make_shared<SPXMLElementShape>();
    shape->name = std::move(name);
    shape->attributeNames.reserve(attributes.size());
    auto element = init();
    if (!attributes.empty()) element->m_values = std::make_unique<std::string[]>(attributes.size());
    std::size_t index = 0;
    for (const auto& [key, value] : attributes) {
        shape->attributeNames.push_back(key);
        element->m_values[index++] = value;
    }
    element->m_shape = std::move(shape);
    element->m_kind = Kind::WithAttributes;
    element->m_parent = parent;
    return element;
}

std::shared_ptr<SPXMLElement> SPXMLElement::initWithShape(
    std::shared_ptr<const SPXMLElementShape> shape, const std::shared_ptr<SPXMLElement>& parent,
    std::span<const std::string_view> values) {
    auto element = init();
    const std::size_t count = shape ? shape->attributeNames.size() : 0;
    if (count > 0) {
        element->m_values = std::make_unique<std::string[]>(count);
        for (std::size_t i = 0; i < count && i < values.size(); ++i) {
            element->m_values[i].assign(values[i]);
        }
    }
    element->m_shape = std::move(shape);
    element->m_kind = Kind::WithAttributes;
    element->m_parent = parent;
    return element;
}

std::shared_ptr<SPXMLElement> SPXMLElement::initFromParent(
    const std::shared_ptr<SPXMLElement>& parent, std::string text) {
    auto element = init();
    element->m_values = std::make_unique<std::string[]>(1);
    element->m_values[0] = std::move(text);
    element->m_shape = textNodeShape();
    element->m_kind = Kind::Text;
    element->m_parent = parent;
    return element;
}

std::shared_ptr<SPXMLElement> SPXMLElement::elementFromParent(
    const std::shared_ptr<SPXMLElement>& parent, std::string text) {
    return initFromParent(parent, std::move(text));
}

std::size_t SPXMLElement::valueCountLocked() const {
    switch (m_kind) {
        case Kind::Plain:
            return 0;
        case Kind::WithAttributes:
            return m_shape ? m_shape->attributeNames.size() : 0;
        case Kind::Text:
            return 1;
    }
    return 0;
}

std::unique_lock<std::mutex> SPXMLElement::lockForReading() const {
    if (m_builtByReader) return {};
    return std::unique_lock(lockFor(this));
}

std::optional<std::string> SPXMLElement::name() const {
    const auto lock = lockForReading();
    if (!m_shape) return std::nullopt;
    return m_shape->name;
}

void SPXMLElement::setName(std::optional<std::string> name) {
    std::shared_ptr<const SPXMLElementShape> previous;
    std::lock_guard lock(lockFor(this));
    // Shapes are shared and immutable: a renamed element gets a shape of its own.
    auto shape = std::make_shared<SPXMLElementShape>();
    shape->name = std::move(name);
    if (m_shape) shape->attributeNames = m_shape->attributeNames;
    previous = std::exchange(m_shape, std::move(shape));
}

SPXMLElement::Children SPXMLElement::elements() const {
    const auto lock = lockForReading();
    return m_children;
}

std::span<const std::shared_ptr<SPXMLElement>> SPXMLElement::children() const {
    const auto lock = lockForReading();
    return m_children;
}

void SPXMLElement::setElements(Children elements) {
    {
        std::lock_guard lock(lockFor(this));
        if (m_kind == Kind::Text) return;
        m_children.swap(elements);
    }
    // The previous children are released here, outside the lock.
}

void SPXMLElement::appendChild(std::shared_ptr<SPXMLElement> child) {
    if (!child) return;
    std::lock_guard lock(lockFor(this));
    if (m_kind == Kind::Text) return;
    m_children.push_back(std::move(child));
}

std::size_t SPXMLElement::childCount() const {
    const auto lock = lockForReading();
    return m_children.size();
}

std::shared_ptr<SPXMLElement> SPXMLElement::childAt(std::size_t index) const {
    const auto lock = lockForReading();
    if (index >= m_children.size()) return nullptr;
    return m_children[index];
}

std::optional<SPXMLAttributeMap> SPXMLElement::attributes() const {
    std::vector<SPXMLAttributeMap::value_type> entries;
    {
        const auto lock = lockForReading();
        if (m_kind != Kind::WithAttributes) return std::nullopt;
        const std::size_t count = valueCountLocked();
        entries.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            entries.emplace_back(m_shape->attributeNames[i], m_values[i]);
        }
    }
    return SPXMLAttributeMap(std::move(entries));
}

void SPXMLElement::setAttributes(std::optional<SPXMLAttributeMap> attributes) {
    std::shared_ptr<const SPXMLElementShape> previousShape;
    std::unique_ptr<std::string[]> previousValues;
    std::lock_guard lock(lockFor(this));
    if (m_kind == Kind::Text) return;
    auto shape = std::make_shared<SPXMLElementShape>();
    if (m_shape) shape->name = m_shape->name;
    std::unique_ptr<std::string[]> values;
    if (attributes && !attributes->empty()) {
        values = std::make_unique<std::string[]>(attributes->size());
        std::size_t index = 0;
        for (auto& [key, value] : *attributes) {
            shape->attributeNames.push_back(key);
            values[index++] = value;
        }
    }
    previousShape = std::exchange(m_shape, std::move(shape));
    previousValues = std::exchange(m_values, std::move(values));
    m_kind = attributes ? Kind::WithAttributes : Kind::Plain;
}

std::optional<std::size_t> SPXMLElement::attributeIndex(std::string_view key) const {
    if (m_kind != Kind::WithAttributes) return std::nullopt;
    const std::size_t count = valueCountLocked();
    for (std::size_t i = 0; i < count; ++i) {
        if (m_shape->attributeNames[i] == key) return i;
    }
    return std::nullopt;
}

std::optional<std::string> SPXMLElement::attribute(std::string_view key) const {
    const auto lock = lockForReading();
    const auto index = attributeIndex(key);
    if (!index) return std::nullopt;
    return m_values[*index];
}

std::optional<std::string_view> SPXMLElement::attributeValue(std::string_view key) const {
    const auto lock = lockForReading();
    const auto index = attributeIndex(key);
    if (!index) return std::nullopt;
    return std::string_view(m_values[*index]);
}

std::shared_ptr<SPXMLElement> SPXMLElement::parent() const {
    const auto lock = lockForReading();
    return m_parent.lock();
}

void SPXMLElement::setParent(const std::shared_ptr<SPXMLElement>& parent) {
    std::lock_guard lock(lockFor(this));
    m_parent = parent;
}

std::optional<std::string> SPXMLElement::text() const {
    const auto lock = lockForReading();
    if (m_kind != Kind::Text || !m_shape || m_shape->name != "") return std::nullopt;
    return m_values[0];
}
