#include "TestEnvironment.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace sbtest {
namespace {

std::filesystem::path g_tempDir;

std::vector<std::function<void()>>& hooks() {
    static std::vector<std::function<void()>> all;
    return all;
}

std::filesystem::path envPath(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::filesystem::path(value)
                                              : std::filesystem::path(fallback);
}

void resetProcessState() {
    platform::UserDefaults::resetStandardUserDefaults();
    platform::RunLoop::main().reset();
    platform::Bundle::resetMainBundle();
    for (auto& hook : hooks()) hook();
}

// Gives every test a fresh HOME with empty XDG folders, and resets the
// process-wide stores before and after it.
class TempHomeListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        std::string pattern = (std::filesystem::temp_directory_path() / "sbtest-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        g_tempDir = buffer.data();
        auto home = g_tempDir / "home";
        std::filesystem::create_directories(home);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
        setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
        setenv("XDG_STATE_HOME", (home / ".local/state").c_str(), 1);
        unsetenv("XDG_DOCUMENTS_DIR");
        // No sound server but the ones a test starts itself: the user's (or
        // another test's) is never found through the usual places.
        const auto runtime = g_tempDir / "run";
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        unsetenv("PULSE_SERVER");
        unsetenv("PULSE_SINK");
        unsetenv("PIPEWIRE_NODE");
        unsetenv("PIPEWIRE_RUNTIME_DIR");
        resetProcessState();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        resetProcessState();
        std::error_code ignored;
        std::filesystem::remove_all(g_tempDir, ignored);
    }
};

}  // namespace

std::filesystem::path tempDir() {
    return g_tempDir;
}
std::filesystem::path sourceBundle() {
    return envPath("SOUNDBOARD_BUNDLE", "Resources");
}
std::filesystem::path testData() {
    return envPath("SOUNDBOARD_TEST_DATA", "tests/data");
}
std::filesystem::path buildDir() {
    return envPath("SOUNDBOARD_BUILD_DIR", ".");
}

void writeFile(const std::filesystem::path& path, std::string_view contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void addResetHook(std::function<void()> hook) {
    hooks().push_back(std::move(hook));
}

void installTempHomeListener() {
    // GoogleTest takes ownership of listeners it is handed.
    ::testing::UnitTest::GetInstance()->listeners().Append(
        std::make_unique<TempHomeListener>().release());
}

}  // namespace sbtest
