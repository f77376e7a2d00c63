#include "CompactSound.h"

#include <SDL_mixer.h>
#include <sys/mman.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>

namespace platform {
namespace {

// Pages that read as zeros and are never written: the kernel backs them all
// with one shared zero page, so a chunk of any length over them costs
// address space only.
class ZeroPages {
  public:
    explicit ZeroPages(std::size_t bytes) : m_bytes(bytes) {
        void* pages =
            mmap(nullptr, m_bytes, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        m_pages = pages == MAP_FAILED ? nullptr : pages;
    }
    ~ZeroPages() {
        if (m_pages != nullptr) munmap(m_pages, m_bytes);
    }
    ZeroPages(const ZeroPages&) = delete;
    ZeroPages& operator=(const ZeroPages&) = delete;
    Uint8* data() const { return static_cast<Uint8*>(m_pages); }

  private:
    std::size_t m_bytes;
    void* m_pages = nullptr;
};

// What the mixer plays for a compact sound: its chunk over zero pages, and
// the samples the channel's effect puts in their place.
struct Entry {
    std::shared_ptr<const CompactSound> sound;
    std::shared_ptr<ZeroPages> pages;
};

std::mutex g_mutex;
std::map<const Mix_Chunk*, Entry>& entries() {
    static std::map<const Mix_Chunk*, Entry> all;
    return all;
}

constexpr float kFromInt16 = 1.0f / 32768.0f;

// The 16-bit sample `value` stands for, when it stands for one exactly.
bool asInt16(float value, std::int16_t& sample) {
    const float scaled = value * 32768.0f;
    if (!(scaled >= -32768.0f && scaled <= 32767.0f)) return false;
    const auto whole = static_cast<std::int16_t>(scaled);
    if (static_cast<float>(whole) != scaled) return false;
    sample = whole;
    return true;
}

}  // namespace

CompactSound::CompactSound(std::vector<std::int16_t> samples, int storedChannels,
                           int outputChannels)
    : m_samples(std::move(samples)),
      m_storedChannels(std::max(1, storedChannels)),
      m_outputChannels(std::max(1, outputChannels)),
      m_frames(m_samples.size() / static_cast<std::size_t>(m_storedChannels)) {}

void CompactSound::render(std::size_t from, float* out, std::size_t frames) const {
    if (m_frames == 0) {
        std::fill(out, out + frames * static_cast<std::size_t>(m_outputChannels), 0.0f);
        return;
    }
    const auto stored = static_cast<std::size_t>(m_storedChannels);
    const auto channels = static_cast<std::size_t>(m_outputChannels);
    std::size_t frame = from % m_frames;
    for (std::size_t at = 0; at < frames; ++at) {
        const std::int16_t* source = m_samples.data() + frame * stored;
        for (std::size_t channel = 0; channel < channels; ++channel) {
            // Mono is held once and heard on every channel, as SDL spreads it.
            out[at * channels + channel] =
                static_cast<float>(source[stored == 1 ? 0 : channel]) * kFromInt16;
        }
        if (++frame == m_frames) frame = 0;
    }
}

MixChunkPtr CompactSound::compact(MixChunkPtr chunk, int frequency, int channels) {
    if (!chunk || chunk->abuf == nullptr || frequency <= 0 || channels <= 0) return chunk;
    const auto width = static_cast<std::size_t>(channels);
    const std::size_t count = chunk->alen / sizeof(float);
    const std::size_t frames = count / width;
    if (frames < static_cast<std::size_t>(kMinimumSeconds * frequency)) return chunk;
    // Read as bytes: SDL's buffer carries no promise of a float's alignment.
    const auto sampleAt = [&](std::size_t index) {
        float value = 0;
        std::memcpy(&value, chunk->abuf + index * sizeof(float), sizeof(float));
        return value;
    };
    bool mono = width == 2;
    for (std::size_t frame = 0; mono && frame < frames; ++frame) {
        mono = sampleAt(2 * frame) == sampleAt(2 * frame + 1);
    }
    const std::size_t stored = mono ? 1 : width;
    std::vector<std::int16_t> samples;
    samples.reserve(frames * stored);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        for (std::size_t channel = 0; channel < stored; ++channel) {
            std::int16_t sample = 0;
            if (!asInt16(sampleAt(frame * width + channel), sample)) return chunk;
            samples.push_back(sample);
        }
    }
    const Uint32 length = static_cast<Uint32>(frames * width * sizeof(float));
    auto pages = std::make_shared<ZeroPages>(length);
    if (pages->data() == nullptr) return chunk;
    MixChunkPtr carrier(Mix_QuickLoad_RAW(pages->data(), length));
    if (!carrier) return chunk;
    auto sound = std::make_shared<const CompactSound>(std::move(samples), static_cast<int>(stored),
                                                      channels);
    std::lock_guard lock(g_mutex);
    entries().insert_or_assign(carrier.get(), Entry{std::move(sound), std::move(pages)});
    // The float samples go here.
    return carrier;
}

std::shared_ptr<const CompactSound> CompactSound::find(const Mix_Chunk* chunk) {
    std::lock_guard lock(g_mutex);
    const auto found = entries().find(chunk);
    return found == entries().end() ? nullptr : found->second.sound;
}

std::size_t CompactSound::compactCount() {
    std::lock_guard lock(g_mutex);
    return entries().size();
}

std::shared_ptr<const void> CompactSound::forget(const Mix_Chunk* chunk) {
    std::lock_guard lock(g_mutex);
    auto node = entries().extract(chunk);
    if (node.empty()) return nullptr;
    return std::make_shared<Entry>(std::move(node.mapped()));
}

}  // namespace platform
