#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Test sounds written and read with libsndfile, and measured with libebur128.
namespace testaudio {

struct Tone {
    int format = 0;  // libsndfile major | minor format; 0: WAV, 16-bit
    int rate = 44100;
    int channels = 2;
    double seconds = 1.0;
    double amplitude = 0.5;  // peak, full scale = 1
    double frequency = 440.0;
};

// Writes a sine tone; throws std::runtime_error when libsndfile cannot.
void writeTone(const std::filesystem::path& path, const Tone& tone);
// Whether libsndfile here can write `format` (MP3 needs LAME support).
bool canWrite(int format, int rate, int channels);

struct Decoded {
    int format = 0;
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;  // interleaved
    std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};
// Reads the whole file; throws when libsndfile cannot open it.
Decoded readAll(const std::filesystem::path& path);

// EBU R128 integrated loudness in LUFS (-inf for silence) and true peak in dBTP.
double integratedLoudness(const Decoded& sound);
double truePeakDbtp(const Decoded& sound);

int wavFormat();
int aiffFormat();
int flacFormat();
int vorbisFormat();
int opusFormat();
int mp3Format();

}  // namespace testaudio
