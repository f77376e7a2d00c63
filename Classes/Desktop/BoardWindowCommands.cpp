#include "Classes/Desktop/BoardWindowCommands.h"

#include "Classes/Boards/BoardGrower.h"
#include "Classes/Boards/BoardMaker.h"
#include "Classes/CommandNames.h"
#include "Classes/Desktop/LastOpenedBoard.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/XdgPaths.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/HostServices.h"

#include <memory>
#include <optional>
#include <stop_token>

namespace fs = std::filesystem;
using platform::BackgroundWork;
using platform::HostServices;

namespace {

constexpr std::size_t kSkippedLinesShown = 10;
constexpr const char* kCancel = "Cancel";
constexpr const char* kNewBoardTitle = "New Board from Folder…";

std::string inQuotes(const std::string& name) {
    return "“" + name + "”";
}

std::string countOf(std::size_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The skipped files as lines after a report, the first few of them.
std::string skippedText(const std::vector<std::string>& skipped) {
    if (skipped.empty()) return {};
    std::string text = "\n\nSkipped " + countOf(skipped.size(), "file", "files") + ":";
    for (std::size_t i = 0; i < skipped.size() && i < kSkippedLinesShown; ++i) {
        text += "\n" + skipped[i];
    }
    if (skipped.size() > kSkippedLinesShown) {
        text += "\n… and " + std::to_string(skipped.size() - kSkippedLinesShown) + " more";
    }
    return text;
}

// The board goes into the chosen folder when it is empty, else into a new
// folder inside it named after the source (with a number when that is taken):
// an existing board or folder is never replaced from the window.
fs::path boardFolderIn(const fs::path& chosen, const fs::path& source) {
    std::error_code failed;
    if (fs::is_directory(chosen, failed) && fs::is_empty(chosen, failed) && !failed) return chosen;
    const std::string name = source.filename().empty() ? "Board" : source.filename().string();
    fs::path candidate = chosen / name;
    for (int number = 2; fs::exists(fs::symlink_status(candidate, failed)); ++number) {
        candidate = chosen / (name + " " + std::to_string(number));
    }
    return candidate;
}

// Runs a board change on a worker, with the host's stop as its cancellation.
template <class Change>
void runCancellable(std::stop_token stop, Change change) {
    media::CancellationFlag cancellation;
    std::stop_callback cancelOnStop(stop, [&cancellation] { cancellation.requestCancel(); });
    change(cancellation);
}

void makeBoard(HostServices& services, const fs::path& source, const fs::path& board) {
    auto report = std::make_shared<BoardMakerReport>();
    BackgroundWork work;
    work.progressText = "Making the board " + inQuotes(board.filename().string()) + "…";
    work.cancelText = kCancel;
    work.run = [source, board, report](std::stop_token stop,
                                       const BackgroundWork::Progress& progress) {
        runCancellable(stop, [&](const media::CancellationFlag& cancellation) {
            *report = BoardMaker().make(source, board, cancellation, progress);
        });
    };
    work.finished = [board, report](HostServices& done) {
        // Cancelling was the user's own choice, and left nothing to tell about.
        if (report->outcome.cancelled()) return;
        if (!report->outcome.done()) {
            done.tell("No Board Made", report->outcome.error + skippedText(report->skipped));
            return;
        }
        LastOpenedBoard::remember(board);
        const bool opened = done.openBundle(board);
        done.tell("Board Made", "Made " + countOf(report->soundCount, "sound", "sounds") + " in " +
                                    countOf(report->categoryCount, "category", "categories") +
                                    " in " + board.string() + "." +
                                    (opened ? "" : "\nThe board could not be opened.") +
                                    skippedText(report->skipped));
    };
    services.runInBackground(std::move(work));
}

void chooseBoardFolder(HostServices& services, const fs::path& source) {
    services.chooseFolder("Choose Where to Keep the New Board", source.parent_path(),
                          [&services, source](std::optional<fs::path> chosen) {
                              if (chosen)
                                  makeBoard(services, source, boardFolderIn(*chosen, source));
                          });
}

// Asks for the folder of sounds unless it is known, then where the board goes.
void newBoardFromFolder(HostServices& services, std::optional<fs::path> source, fs::path start) {
    if (source) {
        chooseBoardFolder(services, *source);
        return;
    }
    services.chooseFolder("Choose a Folder of Sounds", std::move(start),
                          [&services](std::optional<fs::path> chosen) {
                              if (chosen) chooseBoardFolder(services, *chosen);
                          });
}

void addToBoard(HostServices& services, const fs::path& board, std::vector<fs::path> paths) {
    auto report = std::make_shared<BoardGrowerReport>();
    BackgroundWork work;
    work.progressText = "Adding sounds to " + inQuotes(board.filename().string()) + "…";
    work.cancelText = kCancel;
    work.run = [board, paths = std::move(paths), report](std::stop_token stop,
                                                         const BackgroundWork::Progress& progress) {
        runCancellable(stop, [&](const media::CancellationFlag& cancellation) {
            *report = BoardGrower().grow(board, paths, 0, cancellation, progress);
        });
    };
    work.finished = [report](HostServices& done) {
        if (report->outcome.cancelled()) return;
        if (!report->outcome.done()) {
            done.tell("No Sounds Added", report->outcome.error + skippedText(report->skipped));
            return;
        }
        platform::Application::sharedApplication().sendCommand(command_names::kReloadBoard);
        done.tell("Sounds Added", "Added " + countOf(report->soundCount, "sound", "sounds") +
                                      " to " + inQuotes(report->categoryTitle) + "." +
                                      skippedText(report->skipped));
    };
    services.runInBackground(std::move(work));
}

void dropped(HostServices& services, std::vector<fs::path> paths) {
    auto bundle = platform::Bundle::mainBundle();
    if (bundle && bundle->applicationBundle()) {
        addToBoard(services, bundle->bundlePath(), std::move(paths));
        return;
    }
    // One folder dropped is the new board's source; files are only a place to start looking.
    std::error_code failed;
    std::optional<fs::path> source;
    if (paths.size() == 1 && fs::is_directory(paths.front(), failed)) source = paths.front();
    const fs::path start = paths.empty() ? platform::XdgPaths::home() : paths.front().parent_path();
    services.ask("These Sounds Cannot Change",
                 "The sounds that come with the application cannot be changed. Make a new board "
                 "of your own from your sounds instead?",
                 kNewBoardTitle, [&services, source, start](bool accepted) {
                     if (accepted) newBoardFromFolder(services, source, start);
                 });
}

}  // namespace

platform::WindowCommands boardWindowCommands() {
    platform::WindowCommands commands;
    auto newBoard =
        platform::WindowCommand::make(kNewBoardTitle, "Ctrl+N", [](HostServices& services) {
            newBoardFromFolder(services, std::nullopt, platform::XdgPaths::home());
        });
    newBoard.name = command_names::kNewBoard;
    commands.add(std::move(newBoard)).onDrop(dropped);
    return commands;
}
