#pragma once

// A private folder for a fuzz target's files, with HOME and the XDG folders inside it, so
// that nothing a target does reaches the user's own files. Removed when the process ends
// normally; a crash leaves it in the temporary folder for a look.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include <stdlib.h>

namespace fuzzsupport {

struct Workspace {
    Workspace() {
        std::string pattern = (std::filesystem::temp_directory_path() / "sbfuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        folder = pattern;
        setenv("HOME", folder.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder / ".config").c_str(), 1);
        setenv("XDG_DATA_HOME", (folder / ".local/share").c_str(), 1);
        unsetenv("XDG_DOCUMENTS_DIR");
    }
    ~Workspace() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    std::filesystem::path folder;
};

// Replaces the file's contents with `bytes`; aborts when it cannot, as every later check
// would read the wrong input.
inline void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) std::abort();
}

}  // namespace fuzzsupport
