#pragma once

#include <string_view>

namespace platform::bus {

// The soundboard's place on the session bus, as other programs address it.
inline constexpr const char* kServiceName = "org.soundboard.Soundboard";
inline constexpr const char* kObjectPath = "/org/soundboard/Soundboard";
inline constexpr const char* kInterface = "org.soundboard.Soundboard1";

// The errors its methods answer with, beside the bus's own.
inline constexpr const char* kNoSuchSound = "org.soundboard.Soundboard1.Error.NoSuchSound";
inline constexpr const char* kNotABoard = "org.soundboard.Soundboard1.Error.NotABoard";
inline constexpr const char* kFailed = "org.soundboard.Soundboard1.Error.Failed";

}  // namespace platform::bus
