#pragma once

#include <memory>

struct Mix_Chunk;

namespace platform {

// Frees a decoded sound. Mix_FreeChunk first marks every mixer channel that
// still plays the chunk as stopped, under the mixer's lock, so the audio thread
// never reads freed samples.
struct MixChunkDeleter {
    void operator()(Mix_Chunk* chunk) const;
};

// Sole owner of one decoded sound, in the output's sample format.
using MixChunkPtr = std::unique_ptr<Mix_Chunk, MixChunkDeleter>;

}  // namespace platform
