#include "SPXMLAttributeMap.h"

#include <algorithm>

namespace {

bool nameLess(const SPXMLAttributeMap::value_type& entry, std::string_view key) {
    return entry.first < key;
}

}  // namespace

SPXMLAttributeMap::SPXMLAttributeMap(std::initializer_list<value_type> entries) {
    m_entries.reserve(entries.size());
    for (const value_type& entry : entries) insert_or_assign(entry.first, entry.second);
}

SPXMLAttributeMap::SPXMLAttributeMap(std::vector<value_type> entries) {
    // Stable, so that among equal names the later entry ends last and wins.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const value_type& a, const value_type& b) { return a.first < b.first; });
    m_entries.reserve(entries.size());
    for (value_type& entry : entries) {
        if (!m_entries.empty() && m_entries.back().first == entry.first) {
            m_entries.back().second = std::move(entry.second);
        } else {
            m_entries.push_back(std::move(entry));
        }
    }
}

const std::string* SPXMLAttributeMap::find(std::string_view key) const {
    const auto at = std::lower_bound(m_entries.begin(), m_entries.end(), key, nameLess);
    if (at == m_entries.end() || at->first != key) return nullptr;
    return &at->second;
}

void SPXMLAttributeMap::insert_or_assign(std::string key, std::string value) {
    const auto at = std::lower_bound(m_entries.begin(), m_entries.end(), key, nameLess);
    if (at != m_entries.end() && at->first == key) {
        at->second = std::move(value);
    } else {
        m_entries.emplace(at, std::move(key), std::move(value));
    }
}
