#include "PropertyList.h"

#include "BinaryPlistScreen.h"
#include "DurableFile.h"
#include "FileContents.h"
#include "Log.h"
#include "PropertyListSafety.h"
#include "Utf8Check.h"

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
// both candidates recovers it. It also truncates the stored fraction to whole
// microseconds, which can land one below what was written (x.999999 reads as
// x.999998); a candidate one microsecond further that stores the same value is
// the one that was written, so repeated saves never drift.
double dateValue(plist_t node) {
    std::int32_t seconds = 0;
    std::int32_t micro = 0;
    plist_get_date_val(node, &seconds, &micro);
    const auto sameAs = [node](std::int32_t s, std::int32_t u) {
        Node candidate(plist_new_date(s, u));
        return plist_compare_node_value(node, candidate.get()) != 0;
    };
    if (seconds < 0) {
        if (micro < 999999 && sameAs(seconds, -(micro + 1))) ++micro;
        return seconds - micro / 1e6;
    }
    if (seconds == 0 && micro != 0) {
        if (micro < 999999 && sameAs(0, -(micro + 1))) return -(micro + 1) / 1e6;
        if (sameAs(0, -micro)) return -micro / 1e6;
    }
    if (micro < 999999 && sameAs(seconds, micro + 1)) ++micro;
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
            std::string value(text, static_cast<std::size_t>(length));
            // Could not be written back; fromBytes screens for these already.
            if (value.find('\0') != std::string::npos) return std::nullopt;
            return PlistValue(std::move(value));
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

// Text goes through libplist as C strings: callers check canRepresent first.
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

// libplist aborts on an assert when it hands out a key holding a NUL, and its
// XML reader silently cuts a key at a raw NUL byte, so documents with a NUL in
// any text are turned away before it sees them. (It refuses XML character
// references to code point 0 by itself; a raw NUL is not allowed in XML at all.)
bool textsAreSafeToParse(std::string_view bytes) {
    if (bytes.starts_with("bplist00")) return binaryPlistTextsAreSafe(bytes);
    return bytes.find('\0') == std::string_view::npos;
}

bool isRepresentableText(std::string_view text, PlistFormat format) {
    if (text.find('\0') != std::string_view::npos) return false;
    return format == PlistFormat::XML || isWellFormedUtf8(text);
}

bool isRepresentable(const PlistValue& value, PlistFormat format, int depth);

bool isRepresentableDictionary(const PlistDictionary& entries, PlistFormat format, int depth) {
    if (depth > kMaxDepth) return false;
    for (const auto& [key, item] : entries) {
        if (!isRepresentableText(key, format) || !isRepresentable(item, format, depth + 1)) {
            return false;
        }
    }
    return true;
}

// Stops at the depth fromBytes accepts, so neither this nor toNode recurses
// further than reading would.
bool isRepresentable(const PlistValue& value, PlistFormat format, int depth) {
    if (depth > kMaxDepth) return false;
    if (const auto* text = value.get<std::string>()) return isRepresentableText(*text, format);
    if (const auto* items = value.get<PlistArray>()) {
        for (const auto& item : *items) {
            if (!isRepresentable(item, format, depth + 1)) return false;
        }
        return true;
    }
    if (const auto* entries = value.get<PlistDictionary>()) {
        return isRepresentableDictionary(*entries, format, depth);
    }
    return true;
}

}  // namespace

std::optional<PlistValue> PropertyList::fromBytes(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    // Deeper documents would exhaust the stack inside libplist, before or after
    // fromNode could turn them down; amplifying ones would exhaust memory.
    if (!propertyListIsSafeToParse(bytes, kMaxDepth + 1)) return std::nullopt;
    if (!textsAreSafeToParse(bytes)) return std::nullopt;
    plist_t raw = nullptr;
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &raw);
    Node root(raw);
    if (!root) return std::nullopt;
    return fromNode(root.get(), 0);
}

bool PropertyList::canRepresent(const PlistValue& value, PlistFormat format) {
    return isRepresentable(value, format, 0);
}

bool PropertyList::canRepresent(const PlistDictionary& dictionary, PlistFormat format) {
    return isRepresentableDictionary(dictionary, format, 0);
}

std::string PropertyList::toBytes(const PlistValue& value, PlistFormat format) {
    if (!canRepresent(value, format)) return std::string();
    return serialized(toNode(value), format);
}

std::string PropertyList::toBytes(const PlistDictionary& dictionary, PlistFormat format) {
    if (!canRepresent(dictionary, format)) return std::string();
    return serialized(dictionaryToNode(dictionary), format);
}

std::optional<PlistValue> PropertyList::readFile(const std::filesystem::path& path) {
    auto contents = readFileContents(path, kMaximumFileBytes);
    if (contents.tooLarge()) {
        LogOnce("Property list " + path.string() + " is " + sizeText(contents.size) +
                ", over the " + sizeText(kMaximumFileBytes) + " that is read; it is not read");
    }
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
