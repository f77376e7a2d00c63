#include "SoundRegistry.h"

namespace platform {

SystemSoundID SoundRegistry::add(MixChunkPtr chunk) {
    const SystemSoundID soundID = nextFreeID();
    m_sounds.emplace(soundID, std::move(chunk));
    return soundID;
}

SystemSoundID SoundRegistry::nextFreeID() {
    // Ids count up and wrap. The map can never hold all 2^32 - 2 usable ids
    // (each holds a decoded sound in memory), so the search ends.
    do {
        ++m_lastID;
    } while (m_lastID == 0 || m_lastID == kSystemSoundID_Vibrate || m_sounds.contains(m_lastID));
    return m_lastID;
}

Mix_Chunk* SoundRegistry::find(SystemSoundID soundID) const {
    const auto found = m_sounds.find(soundID);
    return found == m_sounds.end() ? nullptr : found->second.get();
}

MixChunkPtr SoundRegistry::remove(SystemSoundID soundID) {
    auto node = m_sounds.extract(soundID);
    return node.empty() ? MixChunkPtr() : std::move(node.mapped());
}

std::vector<MixChunkPtr> SoundRegistry::removeAll() {
    std::vector<MixChunkPtr> chunks;
    chunks.reserve(m_sounds.size());
    for (auto& [soundID, chunk] : m_sounds) chunks.push_back(std::move(chunk));
    m_sounds.clear();
    return chunks;
}

}  // namespace platform
