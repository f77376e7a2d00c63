#include "BinaryPlistTrailer.h"

namespace platform {

std::optional<std::uint64_t> readBigEndian(std::string_view bytes, std::uint64_t at,
                                           std::uint64_t width, std::uint64_t end) {
    if (end > bytes.size()) end = bytes.size();
    if (width == 0 || width > 8 || at > end || end - at < width) return std::nullopt;
    std::uint64_t value = 0;
    for (std::uint64_t i = 0; i < width; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

std::optional<BinaryPlistTrailer> BinaryPlistTrailer::read(std::string_view document) {
    if (document.size() < kBinaryPlistMagic.size() + kSize ||
        !document.starts_with(kBinaryPlistMagic)) {
        return std::nullopt;
    }
    const std::uint64_t start = document.size() - kSize;
    BinaryPlistTrailer trailer;
    trailer.offsetWidth = static_cast<unsigned char>(document[start + 6]);
    trailer.referenceWidth = static_cast<unsigned char>(document[start + 7]);
    trailer.objectCount = readBigEndian(document, start + 8, 8, document.size()).value_or(0);
    trailer.topObject = readBigEndian(document, start + 16, 8, document.size()).value_or(0);
    trailer.tableStart = readBigEndian(document, start + 24, 8, document.size()).value_or(0);
    if (trailer.offsetWidth == 0 || trailer.offsetWidth > 8 || trailer.referenceWidth == 0 ||
        trailer.referenceWidth > 8 || trailer.objectCount == 0 ||
        trailer.topObject >= trailer.objectCount || trailer.tableStart < kBinaryPlistMagic.size() ||
        trailer.tableStart >= start ||
        // Division keeps the table's size from overflowing.
        trailer.objectCount > (start - trailer.tableStart) / trailer.offsetWidth) {
        return std::nullopt;
    }
    return trailer;
}

std::optional<std::uint64_t> BinaryPlistTrailer::objectOffset(std::string_view document,
                                                              std::uint64_t index) const {
    if (index >= objectCount) return std::nullopt;
    const auto offset =
        readBigEndian(document, tableStart + index * offsetWidth, offsetWidth, document.size());
    if (!offset || *offset < kBinaryPlistMagic.size() || *offset >= tableStart) {
        return std::nullopt;
    }
    return offset;
}

}  // namespace platform
