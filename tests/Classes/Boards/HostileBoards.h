#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Hostile boards, as a board handed around may come: each one a usable board
// turned hostile in one way. Shared by the tests that run the program on them
// and by the benchmark that measures its time and memory there.
namespace hostile {

// A board of one sound, 001.aiff (a copy of `sound`), with its catalogue.
void writeUsableBoard(const std::filesystem::path& board, const std::filesystem::path& sound);

// The names of the hostile changes, in a fixed order.
const std::vector<std::string>& hostileChanges();
// Makes the usable `board` hostile the way `change` names; false for a name
// that is none of hostileChanges(). Files outside the board go beside it.
bool makeHostile(const std::filesystem::path& board, std::string_view change);

// A valid black-and-white PNG of `width` x `height` pixels: a small file
// that decodes to width x height x 4 bytes.
void writeBlankPng(const std::filesystem::path& path, std::uint32_t width, std::uint32_t height);
// A file of `bytes` zero bytes that takes no room on disk.
void writeSparseFile(const std::filesystem::path& path, std::uintmax_t bytes);
void writeText(const std::filesystem::path& path, std::string_view text);

}  // namespace hostile
