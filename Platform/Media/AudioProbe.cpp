#include "AudioProbe.h"

#include "SoundFileHandle.h"

#include <sndfile.h>

#include <vector>

namespace media {

std::optional<std::string> audioFileProblem(const std::filesystem::path& path) {
    SF_INFO info{};
    std::string error;
    SoundFileHandle file = SoundFileHandle::openForReading(path, info, error);
    if (!file) return "cannot be decoded (" + error + ")";
    if (info.channels < 1) return std::string("cannot be decoded (no channels)");
    constexpr sf_count_t kBlockFrames = 4096;
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames) *
                             static_cast<std::size_t>(info.channels));
    sf_count_t total = 0;
    for (sf_count_t read; (read = sf_readf_float(file.get(), block.data(), kBlockFrames)) > 0;) {
        total += read;
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
        return std::string("cannot be decoded (") + sf_strerror(file.get()) + ")";
    }
    if (total == 0) return std::string("holds no sound");
    return std::nullopt;
}

}  // namespace media
