#pragma once

#include "Classes/SPLibrary/SPXMLElement.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace sbtest {

// A one-line listing of a tree: elements as name[attributes](children), text
// nodes as "text". Walks with a work list, so deep trees are fine.
inline std::string describeTree(const std::shared_ptr<SPXMLElement>& top) {
    if (!top) return "none";
    std::string out;
    struct Step {
        std::shared_ptr<SPXMLElement> element;  // null: close the parent's list
    };
    std::vector<Step> work{{top}};
    while (!work.empty()) {
        auto element = std::move(work.back().element);
        work.pop_back();
        if (!element) {
            out += ')';
            continue;
        }
        if (auto text = element->text()) {
            out += '"' + *text + '"';
            continue;
        }
        out += element->name().value_or("<none>");
        if (auto attributes = element->attributes()) {
            out += '[';
            for (const auto& [key, value] : *attributes) out += key + '=' + value + ';';
            out += ']';
        }
        const auto children = element->elements();
        if (children.empty()) continue;
        out += '(';
        work.push_back({nullptr});
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            work.push_back({*child});
        }
    }
    return out;
}

}  // namespace sbtest
