#pragma once

// Tiny writers for the sound files the audio tests register, and a reader of
// an AIFF file's format, so fixtures are made at test time and checked exactly.

#include "Platform/Audio/AudioDiagnostics.h"
#include "Platform/Foundation/URL.h"
#include "tests/support/TestEnvironment.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>

namespace sbtest::audio {

// Every test starts and ends with no sounds and the output closed.
inline const bool kAudioResetRegistered = [] {
    sbtest::addResetHook([] { platform::audio_diagnostics::resetForTesting(); });
    return true;
}();

struct PcmFormat {
    int rate = 22050;
    int channels = 1;
    int bits = 16;  // 8 or 16
};

namespace detail {

inline void putBigEndian(std::string& out, std::uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

inline void putLittleEndian(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline std::uint64_t getBigEndian(std::string_view in, std::size_t at, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value = (value << 8) | static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// The 80-bit IEEE extended number AIFF keeps its sample rate in.
inline void putExtended(std::string& out, double value) {
    int exponent = 0;
    const double fraction = std::frexp(value, &exponent);  // value = fraction * 2^exponent
    putBigEndian(out, static_cast<std::uint64_t>(16383 + exponent - 1), 2);
    putBigEndian(out, static_cast<std::uint64_t>(std::ldexp(fraction, 64)), 8);
}

inline double getExtended(std::string_view in, std::size_t at) {
    const auto exponent = static_cast<int>(getBigEndian(in, at, 2) & 0x7FFF);
    const std::uint64_t mantissa = getBigEndian(in, at + 2, 8);
    return std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
}

// A sine tone, one value in -1..1 per frame, the same on every channel.
inline double toneAt(int frame, const PcmFormat& format, double hz) {
    return 0.5 * std::sin(2 * std::numbers::pi * hz * frame / format.rate);
}

inline int frameCount(const PcmFormat& format, double seconds) {
    return static_cast<int>(std::lround(seconds * format.rate));
}

}  // namespace detail

// An AIFF file (FORM/AIFF with COMM and SSND chunks) holding a tone.
inline std::string makeAiff(const PcmFormat& format, double seconds, double hz = 440.0) {
    using namespace detail;
    const int frames = frameCount(format, seconds);
    const int bytesPerSample = format.bits / 8;
    std::string samples;
    for (int frame = 0; frame < frames; ++frame) {
        const double value = toneAt(frame, format, hz);
        for (int channel = 0; channel < format.channels; ++channel) {
            // AIFF samples are big-endian two's complement at every width.
            const auto scaled = static_cast<std::int64_t>(value * ((1 << (format.bits - 1)) - 1));
            putBigEndian(samples, static_cast<std::uint64_t>(scaled), bytesPerSample);
        }
    }
    std::string comm;
    putBigEndian(comm, static_cast<std::uint64_t>(format.channels), 2);
    putBigEndian(comm, static_cast<std::uint64_t>(frames), 4);
    putBigEndian(comm, static_cast<std::uint64_t>(format.bits), 2);
    putExtended(comm, format.rate);

    std::string body = "AIFF";
    body += "COMM";
    putBigEndian(body, comm.size(), 4);
    body += comm;
    body += "SSND";
    putBigEndian(body, 8 + samples.size(), 4);
    putBigEndian(body, 0, 4);  // offset
    putBigEndian(body, 0, 4);  // block size
    body += samples;
    if (samples.size() % 2 != 0) body.push_back('\0');  // chunks are padded to even length

    std::string file = "FORM";
    putBigEndian(file, body.size(), 4);
    return file + body;
}

// A RIFF/WAVE file with PCM samples holding a tone.
inline std::string makeWav(const PcmFormat& format, double seconds, double hz = 440.0) {
    using namespace detail;
    const int frames = frameCount(format, seconds);
    const int bytesPerSample = format.bits / 8;
    std::string samples;
    for (int frame = 0; frame < frames; ++frame) {
        const double value = toneAt(frame, format, hz);
        for (int channel = 0; channel < format.channels; ++channel) {
            if (format.bits == 8) {
                // 8-bit WAV samples are unsigned around 128.
                samples.push_back(static_cast<char>(128 + std::lround(value * 127)));
            } else {
                const auto scaled = static_cast<std::int64_t>(value * 32767);
                putLittleEndian(samples, static_cast<std::uint64_t>(scaled), 2);
            }
        }
    }
    const int blockAlign = format.channels * bytesPerSample;
    std::string file = "RIFF";
    putLittleEndian(file, 4 + (8 + 16) + (8 + samples.size()), 4);
    file += "WAVEfmt ";
    putLittleEndian(file, 16, 4);
    putLittleEndian(file, 1, 2);  // PCM
    putLittleEndian(file, static_cast<std::uint64_t>(format.channels), 2);
    putLittleEndian(file, static_cast<std::uint64_t>(format.rate), 4);
    putLittleEndian(file, static_cast<std::uint64_t>(format.rate * blockAlign), 4);
    putLittleEndian(file, static_cast<std::uint64_t>(blockAlign), 2);
    putLittleEndian(file, static_cast<std::uint64_t>(format.bits), 2);
    file += "data";
    putLittleEndian(file, samples.size(), 4);
    return file + samples;
}

// The format an AIFF file's COMM chunk declares.
struct AiffInfo {
    int channels = 0;
    std::uint32_t frames = 0;
    int bits = 0;
    double rate = 0;
    double seconds() const { return rate > 0 ? frames / rate : 0; }
};

inline std::optional<AiffInfo> readAiffInfo(std::string_view file) {
    using namespace detail;
    if (file.size() < 12 || file.substr(0, 4) != "FORM" || file.substr(8, 4) != "AIFF") {
        return std::nullopt;
    }
    std::size_t at = 12;
    while (at + 8 <= file.size()) {
        const std::string_view id = file.substr(at, 4);
        const std::uint64_t size = getBigEndian(file, at + 4, 4);
        if (id == "COMM" && size >= 18 && at + 8 + 18 <= file.size()) {
            AiffInfo info;
            info.channels = static_cast<int>(getBigEndian(file, at + 8, 2));
            info.frames = static_cast<std::uint32_t>(getBigEndian(file, at + 10, 4));
            info.bits = static_cast<int>(getBigEndian(file, at + 14, 2));
            info.rate = getExtended(file, at + 16);
            return info;
        }
        at += 8 + size + (size % 2);
    }
    return std::nullopt;
}

// Writes `contents` to a file of the current test's folder and gives its path.
inline std::filesystem::path writeFixture(const std::string& name, std::string_view contents) {
    const std::filesystem::path path = sbtest::tempDir() / "sounds" / name;
    sbtest::writeFile(path, contents);
    return path;
}

inline platform::URL fileURL(const std::filesystem::path& path) {
    return platform::URL::fileURLWithPath(path.string());
}

}  // namespace sbtest::audio
