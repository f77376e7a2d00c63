#include "PropertyListSafety.h"

#include "BinaryPlistTrailer.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {
namespace {

// The object table of a binary document, as its trailer describes it.
struct BinaryTable {
    std::string_view bytes;
    BinaryPlistTrailer trailer;
};

std::optional<BinaryTable> binaryTableOf(std::string_view bytes) {
    const auto trailer = BinaryPlistTrailer::read(bytes);
    if (!trailer) return std::nullopt;
    return BinaryTable{bytes, *trailer};
}

// Where the references of a container start and how many there are.
struct References {
    std::uint64_t first = 0;
    std::uint64_t count = 0;
};

enum class ObjectKind { Scalar, Container, Malformed };

ObjectKind referencesOf(const BinaryTable& table, std::uint64_t object, References& references) {
    const auto offset = table.trailer.objectOffset(table.bytes, object);
    if (!offset) return ObjectKind::Malformed;
    const auto marker = static_cast<unsigned char>(table.bytes[*offset]);
    const unsigned type = marker & 0xF0u;
    const bool isDictionary = type == 0xD0u;
    if (type != 0xA0u && type != 0xC0u && !isDictionary) return ObjectKind::Scalar;

    std::uint64_t count = marker & 0x0Fu;
    std::uint64_t at = *offset + 1;
    if (count == 0x0F) {
        // The count follows as an integer object of 1, 2, 4 or 8 bytes.
        if (at >= table.trailer.tableStart) return ObjectKind::Malformed;
        const auto countMarker = static_cast<unsigned char>(table.bytes[at]);
        if ((countMarker & 0xF0u) != 0x10u || (countMarker & 0x0Fu) > 3) {
            return ObjectKind::Malformed;
        }
        const std::uint64_t countSize = std::uint64_t{1} << (countMarker & 0x0Fu);
        const auto wide = readBigEndian(table.bytes, at + 1, countSize, table.bytes.size());
        if (!wide) return ObjectKind::Malformed;
        count = *wide;
        at += 1 + countSize;
    }
    // A dictionary lists its key references, then its value references.
    if (isDictionary) {
        if (count > UINT64_MAX / 2) return ObjectKind::Malformed;
        count *= 2;
    }
    if (at > table.trailer.tableStart ||
        count > (table.trailer.tableStart - at) / table.trailer.referenceWidth) {
        return ObjectKind::Malformed;
    }
    references = {at, count};
    return ObjectKind::Container;
}

// A binary document may share one object among many containers, and libplist
// copies a shared object at every reference: a few hundred bytes can stand for
// more nodes than memory holds. The nodes it would build may be at most this
// many times its objects (the same factor expat allows entity expansion), or
// this floor, whichever is more.
constexpr std::uint64_t kNodeAmplification = 100;
constexpr std::uint64_t kNodeFloor = 100'000;

// A depth-first walk with an explicit stack; each object's height and node
// count are worked out once, however many containers share it.
bool binaryIsSafeToParse(std::string_view bytes, std::size_t maxDepth) {
    const auto found = binaryTableOf(bytes);
    if (!found) return false;
    const BinaryTable& table = *found;
    const std::uint64_t nodeLimit =
        std::max(kNodeFloor, table.trailer.objectCount * kNodeAmplification);

    enum : std::uint8_t { kUnseen, kOpen, kDone };
    std::vector<std::uint8_t> state(table.trailer.objectCount, kUnseen);
    std::vector<std::size_t> height(table.trailer.objectCount, 0);
    std::vector<std::uint64_t> nodes(table.trailer.objectCount, 0);  // as libplist would build them
    struct Frame {
        std::uint64_t object;
        References references;
        std::uint64_t next;
        std::size_t tallestChild;
        std::uint64_t nodes;
    };
    std::vector<Frame> open;

    // Pushes a container, or settles a scalar at once. False when it cannot go on.
    auto enter = [&](std::uint64_t object) {
        References references;
        switch (referencesOf(table, object, references)) {
            case ObjectKind::Malformed:
                return false;
            case ObjectKind::Scalar:
                state[object] = kDone;
                nodes[object] = 1;
                return true;
            case ObjectKind::Container:
                break;
        }
        if (open.size() + 1 > maxDepth) return false;
        state[object] = kOpen;
        open.push_back({object, references, 0, 0, 1});
        return true;
    };
    // Adds a finished child to the container that refers to it.
    auto settle = [&](std::uint64_t child) {
        Frame& parent = open.back();
        parent.tallestChild = std::max(parent.tallestChild, height[child]);
        parent.nodes = std::min(parent.nodes + nodes[child], nodeLimit + 1);
    };

    if (!enter(table.trailer.topObject)) return false;
    while (!open.empty()) {
        Frame& frame = open.back();
        if (frame.next == frame.references.count) {
            if (frame.nodes > nodeLimit) return false;
            const std::uint64_t finished = frame.object;
            height[finished] = frame.tallestChild + 1;
            nodes[finished] = frame.nodes;
            state[finished] = kDone;
            open.pop_back();
            if (!open.empty()) settle(finished);
            continue;
        }
        const auto child =
            readBigEndian(bytes, frame.references.first + frame.next * table.trailer.referenceWidth,
                          table.trailer.referenceWidth, bytes.size());
        ++frame.next;
        if (!child || *child >= table.trailer.objectCount) return false;
        if (state[*child] == kOpen) return false;  // an object inside itself
        if (state[*child] == kDone) {
            if (open.size() + height[*child] > maxDepth) return false;
            settle(*child);
            continue;
        }
        if (!enter(*child)) return false;
        if (state[*child] == kDone) settle(*child);
    }
    return true;
}

// Skips from `at` (the '<' of a construct starting with `opening`) past `closing`.
bool skipConstruct(std::string_view text, std::size_t& at, std::string_view opening,
                   std::string_view closing) {
    if (text.substr(at, opening.size()) != opening) return false;
    const std::size_t end = text.find(closing, at + opening.size());
    at = end == std::string_view::npos ? text.size() : end + closing.size();
    return true;
}

bool xmlNestsWithin(std::string_view text, std::size_t maxDepth) {
    std::size_t depth = 0;
    std::size_t at = text.find('<');
    while (at < text.size()) {
        if (skipConstruct(text, at, "<!--", "-->") || skipConstruct(text, at, "<![CDATA[", "]]>") ||
            skipConstruct(text, at, "<?", "?>")) {
            at = text.find('<', at);
            continue;
        }
        std::string_view tag = text.substr(at + 1);
        const std::size_t tagEnd = tag.find('>');
        tag = tag.substr(0, tagEnd);
        const bool closing = tag.starts_with('/');
        if (closing) tag.remove_prefix(1);
        const std::size_t nameLength = tag.starts_with("array")  ? 5
                                       : tag.starts_with("dict") ? 4
                                                                 : 0;
        const bool nameEnds =
            nameLength != 0 &&
            (tag.size() == nameLength || tag[nameLength] == '/' || tag[nameLength] == ' ' ||
             tag[nameLength] == '\t' || tag[nameLength] == '\r' || tag[nameLength] == '\n');
        if (nameEnds) {
            if (closing) {
                if (depth > 0) --depth;
            } else if (!tag.ends_with('/') && ++depth > maxDepth) {
                return false;
            }
        }
        if (tagEnd == std::string_view::npos) break;
        at = text.find('<', at + 1 + tagEnd);
    }
    return true;
}

}  // namespace

bool propertyListIsSafeToParse(std::string_view bytes, std::size_t maxDepth) {
    if (bytes.starts_with(kBinaryPlistMagic)) return binaryIsSafeToParse(bytes, maxDepth);
    return xmlNestsWithin(bytes, maxDepth);
}

}  // namespace platform
