#include "PlayableSound.h"

namespace media {

std::optional<MappedFile> mapPlayableSound(const std::filesystem::path& path,
                                           std::string& problem) {
    std::optional<MappedFile> file = MappedFile::open(path, kMaxSoundFileBytes, problem);
    if (!file) return std::nullopt;
    if (auto headerProblem = soundBytesProblem(file->bytes())) {
        problem = std::move(*headerProblem);
        return std::nullopt;
    }
    return file;
}

}  // namespace media
