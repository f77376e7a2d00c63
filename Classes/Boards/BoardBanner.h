#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// The banner page a made board carries (its `ad.html`): the board's name and
// how many sounds and categories it holds, in the banner's 320 x 50 strip.
// It links nowhere: a board of one's own advertises nothing. Names come from
// the user's folders, so every one is escaped as text.
namespace BoardBanner {
inline constexpr const char* kFileName = "ad.html";
// What marks a banner page as the maker's (in its head): a board's banner
// without it is the user's own, which a remade board keeps.
inline constexpr std::string_view kMakersMark =
    "<meta name=\"generator\" content=\"soundboard --make-board\">";
// Whether the file at `path` is a banner page the maker wrote.
bool isMakersBanner(const std::filesystem::path& path);
std::string pageText(std::string_view boardName, std::size_t soundCount, std::size_t categoryCount);
}  // namespace BoardBanner
