#include "BoardCommands.h"

#include "Classes/Boards/BoardChecker.h"
#include "Classes/Boards/BoardMaker.h"
#include "Classes/Desktop/LastOpenedBoard.h"
#include "TerminalProgress.h"
#include "TerminalText.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/CommandLine.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The flag Ctrl-C sets while a board is made, so the half-built board is
// removed on the way out instead of being left behind.
media::CancellationFlag* g_interruptible = nullptr;

extern "C" void cancelOnInterrupt(int) {
    if (g_interruptible != nullptr) g_interruptible->requestCancel();
}

class InterruptCancels {
  public:
    explicit InterruptCancels(media::CancellationFlag& flag) {
        g_interruptible = &flag;
        struct sigaction action {};
        action.sa_handler = cancelOnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_previousInterrupt);
        sigaction(SIGTERM, &action, &m_previousTerminate);
    }
    ~InterruptCancels() {
        sigaction(SIGINT, &m_previousInterrupt, nullptr);
        sigaction(SIGTERM, &m_previousTerminate, nullptr);
        g_interruptible = nullptr;
    }
    InterruptCancels(const InterruptCancels&) = delete;
    InterruptCancels& operator=(const InterruptCancels&) = delete;

  private:
    struct sigaction m_previousInterrupt {};
    struct sigaction m_previousTerminate {};
};

// Names in the text come from file systems and catalogues anyone made:
// printed escaped, a line stays a line.
void printLine(std::FILE* stream, std::string_view text) {
    const std::string safe = TerminalText::escaped(text);
    std::fwrite(safe.data(), 1, safe.size(), stream);
    std::fputc('\n', stream);
}

int makeBoard(const fs::path& source, const fs::path& destination) {
    media::CancellationFlag cancellation;
    InterruptCancels interrupt(cancellation);
    BoardMakerReport report;
    {
        TerminalProgress progress(STDERR_FILENO);
        report = BoardMaker().make(
            source, destination, cancellation,
            [&](std::size_t finished, std::size_t total) { progress.update(finished, total); });
    }
    for (const auto& line : report.skipped) printLine(stderr, "soundboard: " + line);
    if (!report.outcome.done()) {
        printLine(stderr, "soundboard: no board made: " + report.outcome.error);
        return 1;
    }
    printLine(stdout, "Made the board " + destination.string() + ": " +
                          std::to_string(report.soundCount) + " sounds in " +
                          std::to_string(report.categoryCount) + " categories, " +
                          std::to_string(report.skipped.size()) + " skipped.");
    return 0;
}

int checkBoard(const fs::path& board) {
    const BoardCheck check = BoardCheck::ofFolder(board);
    for (const auto& problem : check.problems) printLine(stdout, problem.text());
    printLine(stdout, board.string() + (check.usable() ? ": usable" : ": not usable"));
    return check.usable() ? 0 : 1;
}

// Why `folder` given to --bundle cannot be opened, in one line that says how to
// go on, or none when it is a board or an application bundle (a folder with its
// own main window layout).
std::optional<std::string> unopenableFolder(const fs::path& folder) {
    std::error_code failed;
    if (!fs::is_directory(folder, failed)) {
        return folder.string() + " is not a folder; give a board made with --make-board";
    }
    if (platform::Bundle::isBoardFolder(folder)) return std::nullopt;
    if (auto bundle = platform::Bundle::bundleWithPath(folder);
        bundle && fs::is_regular_file(folder / (bundle->mainLayoutName() + ".layout"), failed)) {
        return std::nullopt;
    }
    return folder.string() +
           " is not a board (it holds no Data.XML); to make one of the sounds in it: "
           "soundboard --make-board " +
           folder.string() + " BOARD";
}

// `given` is the folder of --bundle, when there was one.
void chooseBoardToOpen(const platform::CommandLine& line, const std::optional<fs::path>& given) {
    // Screenshots are a walk that leaves the user's settings as they were.
    const bool screenshots = line.has("--screenshot");
    if (given) {
        if (screenshots) return;
        std::error_code failed;
        if (platform::Bundle::isBoardFolder(*given)) {
            LastOpenedBoard::remember(*given);
        } else if (fs::is_directory(*given, failed)) {
            LastOpenedBoard::forget();
        }
        return;
    }
    // The environment names a bundle for development and tests; it outranks memory.
    if (const char* fromEnvironment = std::getenv("SOUNDBOARD_BUNDLE");
        fromEnvironment != nullptr && *fromEnvironment != '\0') {
        return;
    }
    if (screenshots) {
        // The board opened last is drawn, without noting it as being opened.
        if (auto last = LastOpenedBoard::recall(false)) platform::Bundle::setMainBundlePath(*last);
        return;
    }
    if (auto last = LastOpenedBoard::recall()) platform::Bundle::setMainBundlePath(*last);
}

}  // namespace

std::optional<int> runBoardCommandLine(int argc, char** argv) {
    const platform::CommandLine line = platform::CommandLine::parse(argc, argv);
    // A command line with a mistake does nothing, not even remember a board.
    if (!line.mistake.empty()) {
        printLine(stderr, "soundboard: " + line.mistake);
        return 2;
    }
    if (const auto* make = line.find("--make-board")) {
        return makeBoard(fs::path(make->values.at(0)), fs::path(make->values.at(1)));
    }
    if (const auto* check = line.find("--check-board")) {
        return checkBoard(fs::path(check->values.at(0)));
    }
    std::optional<fs::path> bundle;
    if (const auto* given = line.find("--bundle"); given != nullptr && !given->values.empty()) {
        bundle = fs::path(given->values.front());
    }
    // Said before any window logic, which would only find no layout in it.
    if (bundle) {
        if (auto problem = unopenableFolder(*bundle)) {
            printLine(stderr, "soundboard: " + *problem);
            return 1;
        }
    }
    chooseBoardToOpen(line, bundle);
    return std::nullopt;
}
