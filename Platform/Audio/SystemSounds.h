#pragma once

#include "Platform/Foundation/URL.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

using SystemSoundID = std::uint32_t;
using OSStatus = std::int32_t;

// The vibration: playing this id triggers the haptic hook instead of a sound.
inline constexpr SystemSoundID kSystemSoundID_Vibrate = 0xFFF;

// A playback device of the sound server: `name` is the server's own identity
// for it (kept across restarts and re-plugging, and what a choice is saved
// by); `description` is what the user is shown.
struct OutputDeviceInfo {
    std::string name;
    std::string description;
    bool operator==(const OutputDeviceInfo&) const = default;
};

inline constexpr OSStatus kAudioServicesNoError = 0;
inline constexpr OSStatus kAudioServicesBadPropertySizeError = -50;             // null out-pointer
inline constexpr OSStatus kAudioServicesUnsupportedPropertyError = 1970170480;  // 'unop'
inline constexpr OSStatus kAudioServicesSystemSoundUnspecifiedError = -1500;
inline constexpr OSStatus kAudioServicesBadSpecifierSizeError = 561211770;  // '!siz'

// Registers a short sound file given by its file URL (or a URL without a scheme,
// read as a path). The file is decoded once, into memory, now; the first
// registration opens the audio output (without a device: a silent one, and one
// log line). On success the new id (never 0, never the vibration id) is written
// to *outSoundID; on failure nothing is written and a non-zero status is returned.
OSStatus AudioServicesCreateSystemSoundID(const URL& fileURL, SystemSoundID* outSoundID);
// Starts the sound and returns at once; plays of one or several sounds overlap
// and mix. Unknown ids are ignored. The vibration id calls the haptic hook.
void AudioServicesPlaySystemSound(SystemSoundID soundID);
// How one play sounds: a gain on top of the sound's own level (clamped to
// -60..+24 dB; above 0 the samples are scaled and clipped at full scale), and
// whether it loops until stopped.
struct SystemSoundPlayOptions {
    double gainDecibels = 0;
    bool loops = false;
};
// As AudioServicesPlaySystemSound, with `options` for this play alone.
void AudioServicesPlaySystemSoundWithOptions(SystemSoundID soundID,
                                             const SystemSoundPlayOptions& options);
// Stops every play of the sound now; it stays registered. Unknown ids are ignored.
void stopSystemSound(SystemSoundID soundID);
// How long one play of the sound lasts, in seconds; none when it is not registered.
std::optional<double> systemSoundDuration(SystemSoundID soundID);
// The options of the newest play of the sound while it sounds; none otherwise.
std::optional<SystemSoundPlayOptions> playbackOptions(SystemSoundID soundID);
// Frees the sound, stopping it where it still plays. Unknown ids give an error status.
OSStatus AudioServicesDisposeSystemSoundID(SystemSoundID soundID);

// The haptic hook the window host shows (a short shake). Called on the caller's thread.
void setVibrationHandler(std::function<void()> handler);
// How many vibrations have been triggered in this process (headless tests count them).
std::uint64_t vibrationCount();
// How many plays of real sounds have been started in this process.
std::uint64_t playCount();
// How many plays are sounding right now, of all sounds or of one. At most one
// per mixer channel: when all channels are busy a new play takes over the one
// that started longest ago.
std::size_t playingSoundCount();
std::size_t playingSoundCount(SystemSoundID soundID);

// Stops every play sounding now, each with a short fade so nothing clicks; the
// sounds stay registered.
void stopAllSystemSounds();
// The level of every play, now and later, in percent (0..100, clamped), and a
// mute that keeps the level. They last for the process, across output changes.
int systemSoundVolume();
void setSystemSoundVolume(int percent);
bool isSystemSoundMuted();
void setSystemSoundMuted(bool muted);
// The playback devices the sound server reports now; none without a server.
// SDL's silent stand-in device is never listed. Listing also notices a chosen
// device that has gone (as the server watch does on its own, at once): the
// output then moves to the system default, with one log line.
std::vector<OutputDeviceInfo> audioOutputDevices();
// The server's name of the device sounds play on (or will, once the output
// opens); empty: the system default.
std::string audioOutputDevice();
// Plays on the device the server calls `name` from now on (empty: the system
// default), keeping every registered sound; what was playing stops. A device
// the server does not list leaves the output on the system default, with one
// log line, and answers false.
bool setAudioOutputDevice(const std::string& name);

// How far the newest play of `soundID` has got, from 0 at its start towards 1
// at its end (a looping play starts again at 0 at each round), measured on the main run loop's
// clock from when it started; none when that play no longer sounds (ended, stopped, taken over) or
// the sound is not registered.
std::optional<double> playbackProgress(SystemSoundID soundID);

}  // namespace platform
