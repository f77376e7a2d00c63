#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace sbtest {

// The current test's private folder; HOME and the XDG folders point inside it.
std::filesystem::path tempDir();
// The bundled Resources/ of the source tree.
std::filesystem::path sourceBundle();
// tests/data of the source tree.
std::filesystem::path testData();
// The build tree (for helper programs built beside the tests).
std::filesystem::path buildDir();

void writeFile(const std::filesystem::path& path, std::string_view contents);
std::string readFile(const std::filesystem::path& path);

// Runs before and after every test, after the process-wide stores are reset.
// Register from a static initializer in the test program that needs it.
void addResetHook(std::function<void()> hook);

}  // namespace sbtest
