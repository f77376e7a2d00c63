#include "AiffPrecheck.h"

#include <cstdint>
#include <limits>

namespace platform {
namespace {

std::uint32_t bigEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint32_t bigEndian16(std::string_view bytes, std::size_t at) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 8) |
           static_cast<unsigned char>(bytes[at + 1]);
}

std::uint32_t littleEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i > 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i - 1]);
    return value;
}

// Every chunk up to and including "data" lies inside the file.
bool waveChunksFit(std::string_view file) {
    std::uint64_t at = 12;
    while (at + 8 <= file.size()) {
        const auto pos = static_cast<std::size_t>(at);
        const std::uint64_t length = littleEndian32(file, pos + 4);
        const std::uint64_t end = at + 8 + length;
        if (end > file.size()) return false;
        if (file.substr(pos, 4) == "data") return true;
        at = end + (length & 1);  // odd chunks carry a pad byte
    }
    return false;
}

}  // namespace

bool formAudioIsSafeToDecode(std::string_view file) {
    if (file.starts_with("Creative Voice File")) return false;
    if (file.size() >= 12 && file.substr(0, 4) == "RIFF" && file.substr(8, 4) == "WAVE") {
        return waveChunksFit(file);
    }
    if (file.size() < 4 || file.substr(0, 4) != "FORM") return true;
    if (file.size() < 12) return false;
    const std::string_view form = file.substr(8, 4);
    const bool aiff = form == "AIFF";
    const bool eightSvx = form == "8SVX";
    if (!aiff && !eightSvx) return false;

    bool haveFormat = false;  // COMM (AIFF) or VHDR (8SVX)
    bool haveData = false;    // SSND (AIFF) or BODY (8SVX)
    std::uint64_t channels = 0;
    std::uint64_t frames = 0;
    std::uint64_t bits = 0;
    std::uint64_t dataStart = 0;

    // The same walk as the reader: chunks in order until both are found, a
    // zero-length chunk, or the end of the file.
    std::uint64_t at = 12;
    while (!(haveFormat && haveData) && at + 8 <= file.size()) {
        const auto pos = static_cast<std::size_t>(at);
        const std::string_view type = file.substr(pos, 4);
        const std::uint64_t length = bigEndian32(file, pos + 4);
        if (length == 0) break;
        const std::size_t body = pos + 8;
        if (aiff && type == "COMM") {
            if (body + 8 > file.size()) return false;
            channels = bigEndian16(file, body);
            frames = bigEndian32(file, body + 2);
            bits = bigEndian16(file, body + 6);
            haveFormat = true;
        } else if (aiff && type == "SSND") {
            if (body + 8 > file.size()) return false;
            dataStart = body + 8 + std::uint64_t{bigEndian32(file, body)};
            haveData = true;
        } else if (eightSvx && type == "VHDR") {
            channels = 1;
            bits = 8;
            haveFormat = true;
        } else if (eightSvx && type == "BODY") {
            frames = length;
            dataStart = body;
            haveData = true;
        }
        at = body + length + (length & 1);  // odd chunks carry a pad byte
    }
    if (!haveFormat || !haveData) return false;
    if (bits != 8 && bits != 16) return false;
    const std::uint64_t bytes = channels * frames * (bits / 8);
    // The reader computes the size in 32 bits and cannot read an empty buffer.
    if (bytes == 0 || bytes > std::numeric_limits<std::uint32_t>::max()) return false;
    return dataStart + bytes <= file.size();
}

}  // namespace platform
