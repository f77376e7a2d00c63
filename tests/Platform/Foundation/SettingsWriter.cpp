// Helper program for the settings tests: writes boolean keys into a settings
// file one at a time and prints each key once synchronize has returned, so the
// parent knows exactly which writes were promised to be durable.
//
//   settings_writer <file> <key prefix> <count>   (count 0: until killed)

#include "Platform/Foundation/UserDefaults.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

bool writeLine(const std::string& line) {
    std::string_view rest(line);
    while (!rest.empty()) {
        ssize_t written = ::write(STDOUT_FILENO, rest.data(), rest.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 64;
    platform::UserDefaults store(argv[1]);
    const std::string prefix = argv[2];
    const long count = std::strtol(argv[3], nullptr, 10);
    for (long i = 0; count == 0 || i < count; ++i) {
        std::string key = prefix + std::to_string(i);
        store.setBool(true, key);
        if (!store.synchronize()) return 2;
        if (!writeLine(key + "\n")) return 3;
    }
    return 0;
}
