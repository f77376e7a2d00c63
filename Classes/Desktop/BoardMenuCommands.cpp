#include "Classes/Desktop/BoardMenuCommands.h"

#include "Classes/Boards/BoardChecker.h"
#include "Classes/Desktop/BoardOpeningCheck.h"
#include "Classes/Desktop/DesktopPreferences.h"
#include "Classes/Desktop/LastOpenedBoard.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/XdgPaths.h"
#include "Platform/UI/HostServices.h"

#include <memory>
#include <optional>

namespace fs = std::filesystem;
using platform::BackgroundWork;
using platform::HostServices;
using platform::WindowCommand;

namespace {

fs::path startFolder() {
    if (auto bundle = platform::Bundle::mainBundle(); bundle && bundle->applicationBundle()) {
        return bundle->bundlePath().parent_path();
    }
    return platform::XdgPaths::home();
}

// Opens `board` in the window and remembers it; tells the user when it cannot.
void openBoard(HostServices& services, const fs::path& board) {
    if (!platform::Bundle::isBoardFolder(board)) {
        services.tell("Not a Board",
                      board.string() + " is not a board: it has no catalogue of sounds.");
        return;
    }
    if (!services.openBundle(board)) {
        services.tell("Board Not Opened",
                      "The board in " + board.string() + " could not be opened.");
        return;
    }
    LastOpenedBoard::remember(board);
    BoardOpeningCheck::start();
}

std::string recentTitle(const fs::path& board) {
    const std::string name = board.filename().empty() ? board.string() : board.filename().string();
    return name + " — " + board.parent_path().string();
}

// The application's own bundle, whichever board is open now.
std::optional<fs::path> bundledSounds() {
    auto bundle = platform::Bundle::mainBundle();
    if (!bundle) return std::nullopt;
    if (const auto& application = bundle->applicationBundle()) return application->bundlePath();
    return bundle->bundlePath();
}

// The sounds that came with the program, first: without it, getting back to
// them from a board means knowing where they are installed.
WindowCommand bundledSoundsItem() {
    WindowCommand item;
    item.title = "Sounds That Came With Soundboard";
    item.enabled = [] { return bundledSounds().has_value(); };
    item.perform = [](HostServices& services) {
        const auto folder = bundledSounds();
        if (!folder) return;
        if (!services.openBundle(*folder)) {
            services.tell("Sounds Not Opened",
                          "The sounds in " + folder->string() + " could not be opened.");
            return;
        }
        // The next start opens them again, as it does when no board was chosen.
        LastOpenedBoard::forget();
    };
    return item;
}

std::vector<WindowCommand> recentItems() {
    std::vector<WindowCommand> items;
    items.push_back(bundledSoundsItem());
    for (const fs::path& board : DesktopPreferences().recentBoards()) {
        WindowCommand item;
        const bool there = platform::Bundle::isBoardFolder(board);
        item.title = recentTitle(board) + (there ? "" : " (not found)");
        item.enabled = [there] { return there; };
        item.perform = [board](HostServices& services) { openBoard(services, board); };
        items.push_back(std::move(item));
    }
    if (items.size() == 1) {
        WindowCommand none;
        none.title = "No Recent Boards";
        none.enabled = [] { return false; };
        items.push_back(std::move(none));
    }
    return items;
}

void checkOpenBoard(HostServices& services) {
    auto bundle = platform::Bundle::mainBundle();
    if (!bundle) return;
    const fs::path board = bundle->bundlePath();
    auto report = std::make_shared<std::string>();
    BackgroundWork work;
    work.progressText = "Checking the board “" + board.filename().string() + "”…";
    work.cancelText = "Cancel";
    work.run = [board, report](std::stop_token, const BackgroundWork::Progress&) {
        *report = BoardCheck::ofFolder(board).reportText(board);
    };
    work.finished = [report](HostServices& done) { done.tell("Board Check", *report); };
    services.runInBackground(std::move(work));
}

}  // namespace

WindowCommand openBoardCommand() {
    WindowCommand command;
    command.title = "Open Board…";
    command.shortcut = "Ctrl+O";
    command.perform = [](HostServices& services) {
        services.chooseFolder("Choose a Board", startFolder(),
                              [&services](std::optional<fs::path> chosen) {
                                  if (chosen) openBoard(services, *chosen);
                              });
    };
    return command;
}

WindowCommand openRecentCommand() {
    WindowCommand command;
    command.title = "Open Recent";
    command.submenu = recentItems;
    return command;
}

WindowCommand checkBoardCommand() {
    WindowCommand command;
    command.title = "Check Board";
    command.enabled = [] { return platform::Bundle::mainBundle() != nullptr; };
    command.perform = checkOpenBoard;
    return command;
}
