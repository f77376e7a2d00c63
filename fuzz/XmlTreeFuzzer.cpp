// Reads arbitrary bytes as XML into a tree. Whatever comes out must be a well-formed tree:
// every child links back to its parent, text nodes carry text and nothing else, and
// parsing the same input again builds the same tree.
#include "Classes/SPLibrary/SPXML.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void appendField(std::string& out, const std::string& field) {
    out += std::to_string(field.size());
    out += ':';
    out += field;
}

// A canonical listing of the tree, checking the links on the way. Walks with a work
// list, so deep inputs cannot exhaust the stack here.
std::string describe(const std::shared_ptr<SPXMLElement>& document) {
    std::string out;
    if (!document) return out;
    std::vector<std::pair<std::shared_ptr<SPXMLElement>, std::size_t>> work{{document, 0}};
    while (!work.empty()) {
        auto [element, depth] = std::move(work.back());
        work.pop_back();
        out += std::to_string(depth);
        const auto name = element->name();
        if (const auto text = element->text()) {
            require(name == std::string());
            require(element->childCount() == 0 && !element->attributes());
            out += 'T';
            appendField(out, *text);
            continue;
        }
        out += 'E';
        appendField(out, name.value_or(std::string()));
        if (const auto attributes = element->attributes()) {
            for (const auto& [key, value] : *attributes) {
                appendField(out, key);
                appendField(out, value);
            }
        }
        const auto children = element->elements();
        require(children.size() == element->childCount());
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            require(*child != nullptr && (*child)->parent() == element);
            work.emplace_back(*child, depth + 1);
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto reader = SPXML::initWithData(std::string(reinterpret_cast<const char*>(data), size));
    if (!reader) return 0;
    const auto document = reader->document();
    const std::string first = describe(document);
    reader->parse();
    require(describe(reader->document()) == first);
    return 0;
}
