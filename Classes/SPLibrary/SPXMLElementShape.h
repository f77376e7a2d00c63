#pragma once

#include <optional>
#include <string>
#include <vector>

// What elements built from alike markup share: the element name and the names
// of its attributes, in the order the element stores its values. Immutable once
// made. A reader makes one per distinct combination and every element of that
// combination points at it, so a catalogue of many alike entries keeps each
// name once instead of once per element.
struct SPXMLElementShape {
    std::optional<std::string> name;
    std::vector<std::string> attributeNames;
};
