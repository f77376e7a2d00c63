#pragma once

#include <string>
#include <string_view>
#include <vector>

// One sound entry and one category as a board's catalogue holds them.
struct CatalogueSound {
    std::string audioNumber;
    std::string label;
};

struct CatalogueCategory {
    std::string title;
    std::vector<CatalogueSound> sounds;
};

// The catalogue's element and attribute names, said once. The pages address
// the tree by position only and never compare element names; the writers
// write these.
namespace catalogue_names {
inline constexpr std::string_view kCategoryElement = "DT";
inline constexpr std::string_view kSoundElement = "DS";
inline constexpr std::string_view kTitle = "title";
inline constexpr std::string_view kAudioNumber = "audio_no";
inline constexpr std::string_view kLabel = "label";
}  // namespace catalogue_names
