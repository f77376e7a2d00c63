#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The attributes of one XML element: names as written, values as the parser
// decoded them. A flat vector kept sorted by name: elements carry two or three
// attributes as a rule, and a flat vector costs far less memory than a node map.
// Names are unique; when a name is given twice, the later value wins.
class SPXMLAttributeMap {
  public:
    using value_type = std::pair<std::string, std::string>;
    using const_iterator = std::vector<value_type>::const_iterator;

    SPXMLAttributeMap() = default;
    SPXMLAttributeMap(std::initializer_list<value_type> entries);
    explicit SPXMLAttributeMap(std::vector<value_type> entries);

    // The value stored under `key`, or null. Valid until the map changes.
    const std::string* find(std::string_view key) const;
    bool contains(std::string_view key) const { return find(key) != nullptr; }
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    // In ascending order of name.
    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }

    void insert_or_assign(std::string key, std::string value);

    bool operator==(const SPXMLAttributeMap& other) const = default;

  private:
    std::vector<value_type> m_entries;  // sorted by name, names unique
};
