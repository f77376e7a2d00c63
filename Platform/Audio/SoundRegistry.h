#pragma once

#include "MixChunk.h"
#include "Platform/Audio/SystemSounds.h"

#include <map>
#include <vector>

namespace platform {

// The registered sounds: each id owns one decoded chunk until it is removed.
// Ids are never 0 (the caller's "nothing registered") nor the vibration id, and
// are not handed out again while their sound is registered.
// Not thread-safe by itself: its owner serialises all calls.
class SoundRegistry {
  public:
    SystemSoundID add(MixChunkPtr chunk);
    // The chunk registered under `soundID`, owned by the registry; null when none.
    Mix_Chunk* find(SystemSoundID soundID) const;
    // Hands back the chunk so the caller decides when it is freed; empty when
    // the id is not registered.
    MixChunkPtr remove(SystemSoundID soundID);
    // Hands back every chunk and forgets all ids.
    std::vector<MixChunkPtr> removeAll();
    std::size_t size() const { return m_sounds.size(); }

  private:
    SystemSoundID nextFreeID();

    std::map<SystemSoundID, MixChunkPtr> m_sounds;
    SystemSoundID m_lastID = 0;
};

}  // namespace platform
