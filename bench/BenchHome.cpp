#include "BenchHome.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

BenchHome::BenchHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sbbench-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_path = buffer.data();
    setenv("HOME", m_path.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_path / ".config").c_str(), 1);
    setenv("XDG_DATA_HOME", (m_path / ".local/share").c_str(), 1);
    setenv("XDG_CACHE_HOME", (m_path / ".cache").c_str(), 1);
    setenv("XDG_STATE_HOME", (m_path / ".local/state").c_str(), 1);
}

BenchHome::~BenchHome() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path sourceBundle() {
    const char* fromEnvironment = std::getenv("SOUNDBOARD_BUNDLE");
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
    return SOUNDBOARD_SOURCE_BUNDLE;
}

}  // namespace bench
