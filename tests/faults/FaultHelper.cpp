// The program the fault-injection suite runs under the shim. Each mode makes
// one kind of write through the public interface and prints one line per
// operation: "ok <what>" once the operation reported success, "failed <what>"
// once it reported failure. A fault may make an operation fail; the program
// itself always ends normally, so any other ending is a fault of its own.
//
//   fault_helper settings-path                  the standard settings file
//   fault_helper reference <key>...             Reference::setBool YES per key
//   fault_helper load                           open the standard settings
//   fault_helper writer <file> <prefix> <count> UserDefaults writes and synchronize
//   fault_helper preference <file> <key>        SPPreference sets key, writeToFile
//   fault_helper durable <file> <contents>      writeFileDurably
//   fault_helper make-board <source> <board>    the --make-board command; ok when
//                                               its exit status is 0

#include "Classes/CommandLine/BoardCommands.h"
#include "Classes/Reference.h"
#include "Classes/SPLibrary/SPPreference.h"
#include "Platform/Foundation/DurableFile.h"
#include "Platform/Foundation/UserDefaults.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using platform::UserDefaults;

void report(bool succeeded, const std::string& what) {
    std::string line = (succeeded ? "ok " : "failed ") + what + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

int settingsPath() {
    std::string line = UserDefaults::standardFilePath().string() + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    return 0;
}

// Reference does not say whether its flush worked; asking the store again
// does, and is the only acknowledgement a caller can have.
int reference(const std::vector<std::string>& keys) {
    for (const auto& key : keys) {
        Reference::setBool(true, key);
        report(UserDefaults::standardUserDefaults().synchronize(), key);
    }
    return 0;
}

int load() {
    auto& store = UserDefaults::standardUserDefaults();
    report(store.synchronize(), "synchronize");
    return 0;
}

int writer(const std::string& file, const std::string& prefix, long count) {
    UserDefaults store(file);
    for (long index = 0; index < count; ++index) {
        std::string key = prefix + std::to_string(index);
        store.setBool(true, key);
        report(store.synchronize(), key);
    }
    return 0;
}

int preference(const std::string& file, const std::string& key) {
    auto stored = SPPreference::initWithContentsOfFile(file);
    stored->data().insert_or_assign(key, platform::PlistValue(true));
    report(stored->writeToFile(), key);
    return 0;
}

int durable(const std::string& file, const std::string& contents) {
    report(platform::writeFileDurably(file, contents), "write");
    return 0;
}

// Through the command line's own handler, so the exit status a user's script
// sees is what is judged.
int makeBoard(const std::string& source, const std::string& board) {
    std::vector<std::string> words = {"soundboard", "--make-board", source, board};
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const auto status = runBoardCommandLine(static_cast<int>(words.size()), argv.data());
    report(status == 0, "board");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty()) return 64;
    const std::string mode = arguments[0];
    if (mode == "settings-path" && arguments.size() == 1) return settingsPath();
    if (mode == "reference" && arguments.size() >= 2) {
        return reference({arguments.begin() + 1, arguments.end()});
    }
    if (mode == "load" && arguments.size() == 1) return load();
    if (mode == "writer" && arguments.size() == 4) {
        return writer(arguments[1], arguments[2], std::strtol(arguments[3].c_str(), nullptr, 10));
    }
    if (mode == "preference" && arguments.size() == 3)
        return preference(arguments[1], arguments[2]);
    if (mode == "durable" && arguments.size() == 3) return durable(arguments[1], arguments[2]);
    if (mode == "make-board" && arguments.size() == 3) return makeBoard(arguments[1], arguments[2]);
    return 64;
}
