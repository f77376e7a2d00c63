#include "TemporaryUserDefaults.h"

#include "Platform/Foundation/UserDefaults.h"

#include <cstdlib>
#include <vector>

namespace platform {

TemporaryUserDefaults::TemporaryUserDefaults() {
    std::error_code error;
    const auto base = std::filesystem::temp_directory_path(error);
    if (error) return;
    std::string pattern = (base / "screenshot-defaults-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) return;
    m_folder = buffer.data();
    if (const char* previous = std::getenv("XDG_CONFIG_HOME")) m_previousConfigHome = previous;
    ::setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
    UserDefaults::resetStandardUserDefaults();
}

TemporaryUserDefaults::~TemporaryUserDefaults() {
    if (!isActive()) return;
    if (m_previousConfigHome) {
        ::setenv("XDG_CONFIG_HOME", m_previousConfigHome->c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
    UserDefaults::resetStandardUserDefaults();
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

}  // namespace platform
