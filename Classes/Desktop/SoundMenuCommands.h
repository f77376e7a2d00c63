#pragma once

#include "Platform/UI/WindowCommands.h"

#include <functional>
#include <vector>

// The Sound menu: Play and the favourite toggle on a play page, Stop All
// Sounds, the volume in steps of kVolumeStep (its level shown in the titles),
// mute, and the output device. Each change of volume, mute or device is kept
// in the desktop preferences.
std::vector<platform::WindowCommand> soundMenuCommands();

inline constexpr int kVolumeStep = 10;

// Applies the kept volume, mute and device to the sound output (before any
// sound plays; a kept device that is gone falls back to the default then).
void applySoundPreferences();

// Sets the level as Volume Up and Down do (unmuted, and kept), for triggers
// that name a level.
void setSoundVolume(int percent);

// Hears every change of the level or the mute made through these commands
// (one listener: the bus, which tells other programs). Main thread only.
void setSoundLevelObserver(std::function<void()> observer);
