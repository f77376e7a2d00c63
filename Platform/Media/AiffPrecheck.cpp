#include "AiffPrecheck.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace media {
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

std::uint32_t littleEndian16(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8);
}

// The 80-bit IEEE extended number AIFF keeps its rate in; 0 for what is not a
// positive finite rate.
double extendedRate(std::string_view bytes, std::size_t at) {
    const std::uint32_t signAndExponent = bigEndian16(bytes, at);
    if ((signAndExponent & 0x8000) != 0) return 0;
    const int exponent = static_cast<int>(signAndExponent & 0x7FFF) - 16383;
    const std::uint64_t mantissa =
        (std::uint64_t{bigEndian32(bytes, at + 2)} << 32) | bigEndian32(bytes, at + 6);
    if (mantissa == 0 || exponent > 30 || exponent < -30) return 0;
    return std::ldexp(static_cast<double>(mantissa), exponent - 63);
}

std::optional<std::string> tooLong(double seconds) {
    if (seconds <= kMaxSoundSeconds) return std::nullopt;
    return "is " + std::to_string(static_cast<long long>(std::ceil(seconds))) +
           " seconds long; a sound may last 600 seconds (10 minutes)";
}

// Every chunk up to and including "data" lies inside the file, at a rate.
std::optional<std::string> waveProblem(std::string_view file) {
    std::uint64_t byteRate = 0;
    bool haveFormat = false;
    std::uint64_t at = 12;
    while (at + 8 <= file.size()) {
        const auto pos = static_cast<std::size_t>(at);
        const std::uint64_t length = littleEndian32(file, pos + 4);
        const std::uint64_t end = at + 8 + length;
        if (end > file.size()) return std::string("claims more data than the file holds");
        const std::string_view type = file.substr(pos, 4);
        if (type == "fmt " && length >= 16) {
            haveFormat = true;
            if (littleEndian32(file, pos + 12) == 0) return std::string("has a sample rate of 0");
            byteRate = littleEndian32(file, pos + 16);
            if (littleEndian16(file, pos + 20) == 0) return std::string("has no sample frames");
        } else if (type == "data") {
            if (!haveFormat) return std::string("holds data before its format");
            if (byteRate == 0) return std::string("has a data rate of 0");
            return tooLong(static_cast<double>(length) / static_cast<double>(byteRate));
        }
        at = end + (length & 1);  // odd chunks carry a pad byte
    }
    return std::string("holds no sound data");
}

std::optional<std::string> formProblem(std::string_view file) {
    if (file.size() < 12) return std::string("is cut short");
    const std::string_view form = file.substr(8, 4);
    const bool aiff = form == "AIFF";
    const bool eightSvx = form == "8SVX";
    if (!aiff && !eightSvx) return "is an IFF file of a kind that cannot be played";

    bool haveFormat = false;  // COMM (AIFF) or VHDR (8SVX)
    bool haveData = false;    // SSND (AIFF) or BODY (8SVX)
    std::uint64_t channels = 0;
    std::uint64_t frames = 0;
    std::uint64_t bits = 0;
    std::uint64_t dataStart = 0;
    double rate = 0;

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
            if (body + 18 > file.size()) return std::string("has a cut-short format chunk");
            channels = bigEndian16(file, body);
            frames = bigEndian32(file, body + 2);
            bits = bigEndian16(file, body + 6);
            rate = extendedRate(file, body + 8);
            haveFormat = true;
        } else if (aiff && type == "SSND") {
            if (body + 8 > file.size()) return std::string("has a cut-short sound chunk");
            dataStart = body + 8 + std::uint64_t{bigEndian32(file, body)};
            haveData = true;
        } else if (eightSvx && type == "VHDR") {
            if (body + 14 > file.size()) return std::string("has a cut-short format chunk");
            channels = 1;
            bits = 8;
            rate = bigEndian16(file, body + 12);
            haveFormat = true;
        } else if (eightSvx && type == "BODY") {
            frames = length;
            dataStart = body;
            haveData = true;
        }
        at = body + length + (length & 1);  // odd chunks carry a pad byte
    }
    if (!haveFormat) return std::string("has no format chunk");
    if (!haveData) return std::string("has no sound chunk");
    if (bits != 8 && bits != 16) {
        return "has " + std::to_string(bits) + "-bit samples; only 8 and 16 bits play";
    }
    if (!(rate >= 1.0)) return std::string("has a sample rate of 0");
    const std::uint64_t bytes = channels * frames * (bits / 8);
    // The reader computes the size in 32 bits and cannot read an empty buffer.
    if (bytes == 0) return std::string("holds no sound");
    if (auto problem = tooLong(static_cast<double>(frames) / rate)) return problem;
    if (bytes > std::numeric_limits<std::uint32_t>::max() || dataStart + bytes > file.size()) {
        return std::string("claims more sound than the file holds");
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> soundBytesProblem(std::string_view file) {
    if (file.starts_with("Creative Voice File"))
        return std::string("is a VOC file, which is not played");
    if (file.size() >= 12 && file.substr(0, 4) == "RIFF" && file.substr(8, 4) == "WAVE") {
        return waveProblem(file);
    }
    if (file.size() >= 4 && file.substr(0, 4) == "FORM") return formProblem(file);
    return std::nullopt;
}

}  // namespace media
