#include "XMLParser.h"

namespace platform {

std::size_t XMLAttributes::size() const {
    std::size_t count = 0;
    if (m_pairs == nullptr) return 0;
    while (m_pairs[2 * count] != nullptr) ++count;
    return count;
}

XMLAttributes::Attribute XMLAttributes::operator[](std::size_t index) const {
    // Out of range reads as an empty attribute rather than running off the array.
    if (index >= size()) return {};
    return {m_pairs[2 * index], m_pairs[2 * index + 1]};
}

std::optional<std::string_view> XMLAttributes::find(std::string_view name) const {
    for (Attribute attribute : *this) {
        if (attribute.name == name) return attribute.value;
    }
    return std::nullopt;
}

XMLAttributes::Iterator XMLAttributes::begin() const {
    return Iterator(m_pairs);
}

XMLAttributes::Iterator XMLAttributes::end() const {
    return Iterator(m_pairs == nullptr ? nullptr : m_pairs + 2 * size());
}

}  // namespace platform
