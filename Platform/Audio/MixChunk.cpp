#include "MixChunk.h"

#include "CompactSound.h"

#include <SDL_mixer.h>

namespace platform {

void MixChunkDeleter::operator()(Mix_Chunk* chunk) const {
    // A compact sound's samples outlive its chunk: freeing the chunk halts
    // every channel that still mixes them.
    const std::shared_ptr<const void> samples = CompactSound::forget(chunk);
    Mix_FreeChunk(chunk);
}

}  // namespace platform
