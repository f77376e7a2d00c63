// Registers arbitrary bytes as a system sound, the way a play page registers a bundle's
// sound file: the size and form checks, then SDL_mixer's own decoding (AIFF, WAV, VOC and
// whatever else it recognises) on the dummy audio driver. A file either registers under a
// fresh id that plays and disposes once, or is refused with nothing written; either way
// nothing leaks (SDL_mixer's own readers included, which leak on lying AIFF headers unless
// the precheck turns those away).
#include "FuzzWorkspace.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/URL.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <stdlib.h>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

fuzzsupport::Workspace& workspace() {
    static fuzzsupport::Workspace instance;
    return instance;
}

constexpr platform::SystemSoundID kUntouched = 0xDEADBEEF;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    workspace();
    // No sound card: the mixer runs on its own thread and sends the samples nowhere.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = workspace().folder / "sound.aiff";
    fuzzsupport::writeFile(path, std::string(reinterpret_cast<const char*>(data), size));

    platform::SystemSoundID id = kUntouched;
    const platform::OSStatus status = platform::AudioServicesCreateSystemSoundID(
        platform::URL::fileURLWithPath(path.string()), &id);
    if (status != platform::kAudioServicesNoError) {
        require(id == kUntouched);
        return 0;
    }
    require(id != 0 && id != kUntouched && id != platform::kSystemSoundID_Vibrate);
    platform::AudioServicesPlaySystemSound(id);
    require(platform::playingSoundCount(id) <= 1);
    require(platform::AudioServicesDisposeSystemSoundID(id) == platform::kAudioServicesNoError);
    require(platform::playingSoundCount(id) == 0);
    require(platform::AudioServicesDisposeSystemSoundID(id) != platform::kAudioServicesNoError);
    return 0;
}
