#include "SoundDecoder.h"

#include "CompactSound.h"
#include "Platform/Media/PlayableSound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <limits>
#include <memory>
#include <string>

namespace platform {
namespace {

struct RWopsCloser {
    void operator()(SDL_RWops* rw) const { SDL_RWclose(rw); }
};
using RWopsPtr = std::unique_ptr<SDL_RWops, RWopsCloser>;

// A compressed file's length is known only once it is decoded.
bool withinLength(const Mix_Chunk& chunk) {
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0 || frequency <= 0 || channels <= 0) {
        return false;
    }
    const double bytesPerSecond =
        static_cast<double>(frequency) * channels * (SDL_AUDIO_BITSIZE(format) / 8);
    // A tenth of a second of slack for a decoder's rounding at the end.
    return chunk.alen / bytesPerSecond <= media::kMaxSoundSeconds + 0.1;
}

// SDL_mixer converts into a buffer sized for the largest the conversion could
// need (four times the file's samples and more when it resamples) and keeps
// it: a 10-minute sound at 48 kHz held 442 MB for its 212 MB of samples.
// Handing the rest back costs one reallocation, made before any play.
void releaseSlack(Mix_Chunk& chunk) {
    if (chunk.allocated != 1 || chunk.abuf == nullptr || chunk.alen == 0) return;
    if (void* trimmed = SDL_realloc(chunk.abuf, chunk.alen); trimmed != nullptr) {
        chunk.abuf = static_cast<Uint8*>(trimmed);
    }
}

}  // namespace

MixChunkPtr decodeSoundFile(const std::filesystem::path& path) {
    std::string problem;
    const std::optional<media::MappedFile> file = media::mapPlayableSound(path, problem);
    if (!file || file->bytes().size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return {};
    }
    // The input stays ours (freesrc = 0) and is closed here on every path:
    // some of SDL_mixer's failure paths forget to close it.
    RWopsPtr input(
        SDL_RWFromConstMem(file->bytes().data(), static_cast<int>(file->bytes().size())));
    if (!input) return {};
    MixChunkPtr chunk(Mix_LoadWAV_RW(input.get(), 0));
    if (!chunk || chunk->alen == 0 || !withinLength(*chunk)) return {};
    releaseSlack(*chunk);
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0 || format != AUDIO_F32SYS) return chunk;
    return CompactSound::compact(std::move(chunk), frequency, channels);
}

}  // namespace platform
