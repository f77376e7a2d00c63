#include "SoundDecoder.h"

#include "AiffPrecheck.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <fstream>
#include <memory>
#include <string>
#include <system_error>

namespace platform {
namespace {

struct RWopsCloser {
    void operator()(SDL_RWops* rw) const { SDL_RWclose(rw); }
};
using RWopsPtr = std::unique_ptr<SDL_RWops, RWopsCloser>;

std::optional<std::string> readSmallRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    // Only regular files: a FIFO or a device such as /dev/zero would block or
    // never end.
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size == 0 || size > kMaxSoundFileBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
    return bytes;
}

}  // namespace

MixChunkPtr decodeSoundFile(const std::filesystem::path& path) {
    const std::optional<std::string> bytes = readSmallRegularFile(path);
    if (!bytes || !formAudioIsSafeToDecode(*bytes)) return {};

    // The input stays ours (freesrc = 0) and is closed here on every path:
    // some of SDL_mixer's failure paths forget to close it.
    RWopsPtr input(SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size())));
    if (!input) return {};
    MixChunkPtr chunk(Mix_LoadWAV_RW(input.get(), 0));
    if (!chunk || chunk->alen == 0) return {};
    return chunk;
}

}  // namespace platform
