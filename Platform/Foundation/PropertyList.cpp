#include "PropertyList.h"

#include "DurableFile.h"
#include "FileContents.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

#include <plist/plist.h>

namespace platform {
namespace {

struct NodeDeleter {
    void operator()(void* node) const { plist_free(node); }
};
// An owned libplist tree (plist_t is a void pointer to its root node).
using Node = std::unique_ptr<void, NodeDeleter>;

struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};
// Memory libplist hands over to the caller with malloc (keys, dictionary iterators).
using MallocPtr = std::unique_ptr<char, FreeDeleter>;
using DictIterator = std::unique_ptr<void, FreeDeleter>;

struct XmlDeleter {
    void operator()(char* text) const { plist_to_xml_free(text); }
};
struct BinaryDeleter {
    void operator()(char* bytes) const { plist_to_bin_free(bytes); }
};

// Nesting deeper than this is treated as malformed rather than risking the stack.
constexpr int kMaxDepth = 512;

// libplist takes dates as whole seconds and microseconds in 32-bit fields, so
// dates are limited to about 1933 to 2069. Outside that they are clamped.
Node newDate(double secondsSince2001) {
    if (std::isnan(secondsSince2001)) secondsSince2001 = 0.0;
    constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
    double clamped = std::fmin(std::fmax(secondsSince2001, kLowest), kHighest);
    double whole = std::trunc(clamped);
    auto micro = static_cast<std::int32_t>(std::lround((clamped - whole) * 1e6));
    // Both parts carry the sign; libplist adds them.
    return Node(plist_new_date(static_cast<std::int32_t>(whole), micro));
}

// libplist reports the fraction of a date as a magnitude, and for dates in
// the second before the epoch it loses the sign altogether; comparing against
// both candidates recovers it.
double dateValue(plist_t node) {
    std::int32_t seconds = 0;
    std::int32_t micro = 0;
    plist_get_date_val(node, &seconds, &micro);
    if (seconds < 0) return seconds - micro / 1e6;
    if (seconds == 0 && micro != 0) {
        Node negative(plist_new_date(0, -micro));
        if (plist_compare_node_value(node, negative.get())) return -micro / 1e6;
    }
    return seconds + micro / 1e6;
}

// libplist keeps every integer in 64 unsigned bits and marks those written as
// values above INT64_MAX. Unmarked values are signed; marked ones do not fit
// the signed type and become reals.
PlistValue integerValue(plist_t node) {
    std::uint64_t bits = 0;
    plist_get_uint_val(node, &bits);
    if (bits <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return PlistValue(static_cast<std::int64_t>(bits));
    }
    Node signedForm(plist_new_uint(bits));
    if (plist_compare_node_value(node, signedForm.get())) {
        return PlistValue(static_cast<std::int64_t>(bits));
    }
    return PlistValue(static_cast<double>(bits));
}

std::optional<PlistValue> fromNode(plist_t node, int depth);

std::optional<PlistValue> arrayFromNode(plist_t node, int depth) {
    PlistArray items;
    std::uint32_t size = plist_array_get_size(node);
    items.reserve(size);
    for (std::uint32_t i = 0; i < size; ++i) {
        auto item = fromNode(plist_array_get_item(node, i), depth + 1);
        if (!item) return std::nullopt;
        items.push_back(std::move(*item));
    }
    return std::optional<PlistValue>(std::in_place, std::move(items));
}

std::optional<PlistValue> dictionaryFromNode(plist_t node, int depth) {
    PlistDictionary entries;
    plist_dict_iter rawIterator = nullptr;
    plist_dict_new_iter(node, &rawIterator);
    if (rawIterator == nullptr) return std::nullopt;
    DictIterator iterator(rawIterator);
    while (true) {
        char* rawKey = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iterator.get(), &rawKey, &value);
        MallocPtr key(rawKey);
        if (value == nullptr) {
            // The end, or a key without a value in a damaged document.
            if (key != nullptr) return std::nullopt;
            break;
        }
        if (key == nullptr) return std::nullopt;
        auto converted = fromNode(value, depth + 1);
        if (!converted) return std::nullopt;
        entries.insert_or_assign(std::string(key.get()), std::move(*converted));
    }
    return std::optional<PlistValue>(std::in_place, std::move(entries));
}

std::optional<PlistValue> fromNode(plist_t node, int depth) {
    if (node == nullptr || depth > kMaxDepth) return std::nullopt;
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            std::uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return PlistValue(value != 0);
        }
        case PLIST_UINT:
            return integerValue(node);
        case PLIST_UID: {
            std::uint64_t value = 0;
            plist_get_uid_val(node, &value);
            if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                return PlistValue(static_cast<double>(value));
            }
            return PlistValue(static_cast<std::int64_t>(value));
        }
        case PLIST_REAL: {
            double value = 0.0;
            plist_get_real_val(node, &value);
            return PlistValue(value);
        }
        case PLIST_STRING:
        case PLIST_KEY: {
            std::uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            if (text == nullptr) return PlistValue(std::string());
            return PlistValue(std::string(text, static_cast<std::size_t>(length)));
        }
        case PLIST_DATE:
            return PlistValue(PlistDate{dateValue(node)});
        case PLIST_DATA: {
            std::uint64_t length = 0;
            const char* bytes = plist_get_data_ptr(node, &length);
            if (bytes == nullptr) return PlistValue(PlistData{});
            const auto* first = reinterpret_cast<const std::uint8_t*>(bytes);
            return PlistValue(PlistData(first, first + length));
        }
        case PLIST_ARRAY:
            return arrayFromNode(node, depth);
        case PLIST_DICT:
            return dictionaryFromNode(node, depth);
        case PLIST_NONE:
            break;
    }
    return std::nullopt;
}

Node toNode(const PlistValue& value);

Node dictionaryToNode(const PlistDictionary& entries) {
    Node dictionary(plist_new_dict());
    for (const auto& [key, item] : entries) {
        plist_dict_set_item(dictionary.get(), key.c_str(), toNode(item).release());
    }
    return dictionary;
}

// Text goes through libplist as C strings: a NUL ends a string or key early.
Node toNode(const PlistValue& value) {
    struct Visitor {
        Node operator()(const std::string& text) const {
            return Node(plist_new_string(text.c_str()));
        }
        Node operator()(std::int64_t number) const {
            return Node(plist_new_uint(static_cast<std::uint64_t>(number)));
        }
        Node operator()(double number) const { return Node(plist_new_real(number)); }
        Node operator()(bool flag) const { return Node(plist_new_bool(flag ? 1 : 0)); }
        Node operator()(const PlistDate& date) const { return newDate(date.secondsSince2001); }
        Node operator()(const PlistData& data) const {
            return Node(plist_new_data(reinterpret_cast<const char*>(data.data()), data.size()));
        }
        Node operator()(const PlistArray& items) const {
            Node array(plist_new_array());
            for (const auto& item : items)
                plist_array_append_item(array.get(), toNode(item).release());
            return array;
        }
        Node operator()(const PlistDictionary& entries) const { return dictionaryToNode(entries); }
    };
    return std::visit(Visitor{}, value.storage());
}

std::string serialized(const Node& root, PlistFormat format) {
    char* raw = nullptr;
    std::uint32_t length = 0;
    if (format == PlistFormat::Binary) {
        plist_to_bin(root.get(), &raw, &length);
        std::unique_ptr<char, BinaryDeleter> bytes(raw);
        return bytes ? std::string(bytes.get(), length) : std::string();
    }
    plist_to_xml(root.get(), &raw, &length);
    std::unique_ptr<char, XmlDeleter> text(raw);
    return text ? std::string(text.get(), length) : std::string();
}

}  // namespace

std::optional<PlistValue> PropertyList::fromBytes(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    plist_t raw = nullptr;
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &raw);
    Node root(raw);
    if (!root) return std::nullopt;
    return fromNode(root.get(), 0);
}

std::string PropertyList::toBytes(const PlistValue& value, PlistFormat format) {
    return serialized(toNode(value), format);
}

std::string PropertyList::toBytes(const PlistDictionary& dictionary, PlistFormat format) {
    return serialized(dictionaryToNode(dictionary), format);
}

std::optional<PlistValue> PropertyList::readFile(const std::filesystem::path& path) {
    auto contents = readFileContents(path);
    if (!contents.bytes) return std::nullopt;
    return fromBytes(*contents.bytes);
}

std::optional<PlistDictionary> PropertyList::readDictionaryFile(const std::filesystem::path& path) {
    auto value = readFile(path);
    if (!value) return std::nullopt;
    auto* dictionary = value->get<PlistDictionary>();
    if (dictionary == nullptr) return std::nullopt;
    return std::move(*dictionary);
}

bool PropertyList::writeFile(const std::filesystem::path& path, const PlistValue& value,
                             PlistFormat format) {
    std::string bytes = toBytes(value, format);
    if (bytes.empty()) return false;
    return writeFileDurably(path, bytes);
}

}  // namespace platform
