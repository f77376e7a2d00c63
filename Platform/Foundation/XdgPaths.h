#pragma once

#include <filesystem>

namespace platform {

// The per-user folders as the XDG base-directory and user-dirs rules define them.
// Read from the environment on every call, so a test can point HOME elsewhere.
struct XdgPaths {
    // $HOME, else the password database's home, else "/".
    static std::filesystem::path home();
    // $XDG_CONFIG_HOME when absolute, else ~/.config.
    static std::filesystem::path configHome();
    // $XDG_DATA_HOME when absolute, else ~/.local/share.
    static std::filesystem::path dataHome();
    // XDG_DOCUMENTS_DIR from <configHome>/user-dirs.dirs ("$HOME/..." expanded), else ~/Documents.
    static std::filesystem::path documentsDir();
};

}  // namespace platform
