#include "BoardCommands.h"

#include "Classes/Boards/BoardChecker.h"
#include "Classes/Boards/BoardMaker.h"
#include "Classes/Desktop/LastOpenedBoard.h"
#include "TerminalProgress.h"
#include "TerminalText.h"

#include "Platform/Foundation/Bundle.h"

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

std::optional<std::string> bundleOption(const std::vector<std::string_view>& arguments) {
    constexpr std::string_view kOption = "--bundle";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == kOption && i + 1 < arguments.size())
            return std::string(arguments[i + 1]);
        if (arguments[i].substr(0, kOption.size() + 1) == "--bundle=") {
            return std::string(arguments[i].substr(kOption.size() + 1));
        }
    }
    return std::nullopt;
}

bool takesScreenshots(const std::vector<std::string_view>& arguments) {
    return std::any_of(arguments.begin(), arguments.end(), [](std::string_view argument) {
        return argument == "--screenshot" || argument.starts_with("--screenshot=");
    });
}

void chooseBoardToOpen(const std::vector<std::string_view>& arguments) {
    // Screenshots are a walk that leaves the user's settings as they were.
    const bool screenshots = takesScreenshots(arguments);
    if (auto given = bundleOption(arguments)) {
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
    std::vector<std::string_view> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--make-board") {
            if (i + 2 >= arguments.size()) {
                printLine(stderr,
                          "soundboard: --make-board needs a source folder and a board folder");
                return 1;
            }
            return makeBoard(fs::path(arguments[i + 1]), fs::path(arguments[i + 2]));
        }
        if (arguments[i] == "--check-board") {
            if (i + 1 >= arguments.size()) {
                printLine(stderr, "soundboard: --check-board needs a board folder");
                return 1;
            }
            return checkBoard(fs::path(arguments[i + 1]));
        }
    }
    chooseBoardToOpen(arguments);
    return std::nullopt;
}
