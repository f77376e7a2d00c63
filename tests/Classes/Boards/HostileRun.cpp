#include "HostileRun.h"

#include "TestAudio.h"
#include "tests/support/ChildProcess.h"

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>

namespace fs = std::filesystem;

namespace hostile {
namespace {

std::string programPath() {
    // Another build of the program (an older one, to see a test fail) may be named.
    const char* other = std::getenv("SOUNDBOARD_PROGRAM_UNDER_TEST");
    return other != nullptr && *other != '\0' ? other : SB_SOUNDBOARD_PROGRAM;
}

}  // namespace

Outcome run(const std::vector<std::string>& arguments,
            const std::vector<std::string>& environmentChanges) {
    std::vector<std::string> words{programPath()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    sbtest::ChildProcess::Options options;
    options.environmentChanges = environmentChanges;
    options.environmentChanges.push_back("LSAN_OPTIONS=suppressions=" SB_LSAN_SUPPRESSIONS
                                         ":print_suppressions=0");
    options.errors = sbtest::ChildProcess::Errors::WithOutput;
    const auto start = std::chrono::steady_clock::now();
    sbtest::ChildProcess program(std::move(words), std::move(options));
    const int status = program.finish();
    Outcome outcome;
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.peakMemoryKiB = program.peakMemoryKiB();
    for (const auto& line : program.lines()) outcome.output += line + "\n";
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

Snapshot snapshot(const fs::path& folder) {
    Snapshot entries;
    std::error_code failed;
    for (fs::recursive_directory_iterator walk(folder, failed), end; !failed && walk != end;
         walk.increment(failed)) {
        const std::string name = walk->path().lexically_relative(folder).string();
        if (walk->is_symlink()) {
            entries[name] = "-> " + fs::read_symlink(walk->path()).string();
        } else if (walk->is_directory()) {
            entries[name] = "<folder>";
        } else if (walk->is_regular_file()) {
            std::string bytes;
            std::FILE* file = std::fopen(walk->path().c_str(), "rb");
            if (file != nullptr) {
                char chunk[4096];
                for (std::size_t count; (count = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
                    bytes.append(chunk, count);
                std::fclose(file);
            }
            entries[name] = bytes;
        } else {
            entries[name] = "<special>";
        }
    }
    return entries;
}

void writeClip(const fs::path& path) {
    fs::create_directories(path.parent_path());
    testaudio::writeTone(path, {testaudio::wavFormat(), 22050, 2, 0.2, 0.3, 440.0});
}

}  // namespace hostile
