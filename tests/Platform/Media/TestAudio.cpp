#include "TestAudio.h"

#include <ebur128.h>
#include <sndfile.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>

namespace testaudio {
namespace {

struct Closer {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using File = std::unique_ptr<SNDFILE, Closer>;

struct MeterFree {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

std::unique_ptr<ebur128_state, MeterFree> meterOver(const Decoded& sound) {
    std::unique_ptr<ebur128_state, MeterFree> meter(
        ebur128_init(static_cast<unsigned>(sound.channels), static_cast<unsigned long>(sound.rate),
                     EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK));
    if (!meter) throw std::runtime_error("ebur128_init failed");
    ebur128_add_frames_float(meter.get(), sound.samples.data(), sound.frames());
    return meter;
}

}  // namespace

int wavFormat() {
    return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}
int aiffFormat() {
    return SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
}
int flacFormat() {
    return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
}
int vorbisFormat() {
    return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
}
int opusFormat() {
    return SF_FORMAT_OGG | SF_FORMAT_OPUS;
}
int mp3Format() {
    return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
}

bool canWrite(int format, int rate, int channels) {
    SF_INFO info{};
    info.format = format;
    info.samplerate = rate;
    info.channels = channels;
    return sf_format_check(&info) == SF_TRUE;
}

void writeTone(const std::filesystem::path& path, const Tone& tone) {
    SF_INFO info{};
    info.format = tone.format == 0 ? wavFormat() : tone.format;
    info.samplerate = tone.rate;
    info.channels = tone.channels;
    File file(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!file)
        throw std::runtime_error("cannot write " + path.string() + ": " + sf_strerror(nullptr));
    const auto frames = static_cast<std::size_t>(tone.seconds * tone.rate);
    std::vector<float> samples(frames * static_cast<std::size_t>(tone.channels));
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const double phase = 2.0 * std::numbers::pi * tone.frequency * frame / tone.rate;
        for (int channel = 0; channel < tone.channels; ++channel) {
            samples[frame * tone.channels + channel] =
                static_cast<float>(tone.amplitude * std::sin(phase));
        }
    }
    if (sf_writef_float(file.get(), samples.data(), static_cast<sf_count_t>(frames)) !=
        static_cast<sf_count_t>(frames)) {
        throw std::runtime_error("short write to " + path.string());
    }
}

Decoded readAll(const std::filesystem::path& path) {
    SF_INFO info{};
    File file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file)
        throw std::runtime_error("cannot read " + path.string() + ": " + sf_strerror(nullptr));
    Decoded sound;
    sound.format = info.format;
    sound.rate = info.samplerate;
    sound.channels = info.channels;
    std::vector<float> block(4096 * static_cast<std::size_t>(info.channels));
    for (sf_count_t read; (read = sf_readf_float(file.get(), block.data(), 4096)) > 0;) {
        sound.samples.insert(sound.samples.end(), block.begin(),
                             block.begin() + read * info.channels);
    }
    return sound;
}

double integratedLoudness(const Decoded& sound) {
    auto meter = meterOver(sound);
    double loudness = -HUGE_VAL;
    ebur128_loudness_global(meter.get(), &loudness);
    return loudness;
}

double truePeakDbtp(const Decoded& sound) {
    auto meter = meterOver(sound);
    double highest = 0.0;
    for (int channel = 0; channel < sound.channels; ++channel) {
        double peak = 0.0;
        ebur128_true_peak(meter.get(), static_cast<unsigned>(channel), &peak);
        highest = std::max(highest, peak);
    }
    return highest > 0.0 ? 20.0 * std::log10(highest) : -HUGE_VAL;
}

}  // namespace testaudio
