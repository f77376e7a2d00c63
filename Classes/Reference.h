#pragma once

#include "Platform/Foundation/PropertyList.h"

#include <optional>
#include <string_view>

// The pages' access to the settings kept between runs: the vibration flag
// ("vibrate") and one favourite mark per sound, keyed by the audio number's
// exact text. A thin layer over the application's standard user defaults that
// makes every write durable before it returns. Never instantiated.
class Reference {
  public:
    Reference() = delete;

    // Stores the flag, then flushes the store. A failed flush is not reported:
    // the value stays in the store and goes out with the next successful one.
    static void setBool(bool value, std::string_view key);
    // NO for a key never written.
    static bool boolForKey(std::string_view key);
    static void setObject(platform::PlistValue value, std::string_view key);
    static std::optional<platform::PlistValue> objectForKey(std::string_view key);
};
