#include "MixChunk.h"

#include <SDL_mixer.h>

namespace platform {

void MixChunkDeleter::operator()(Mix_Chunk* chunk) const {
    Mix_FreeChunk(chunk);
}

}  // namespace platform
