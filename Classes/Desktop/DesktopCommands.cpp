#include "Classes/Desktop/DesktopCommands.h"

#include "Classes/CommandNames.h"
#include "Classes/Desktop/BoardMenuCommands.h"
#include "Classes/Desktop/BoardOpeningCheck.h"
#include "Classes/Desktop/BoardWindowCommands.h"
#include "Classes/Desktop/CategoryCommands.h"
#include "Classes/Desktop/DesktopPreferences.h"
#include "Classes/Desktop/SoundMenuCommands.h"
#include "Classes/Desktop/VoiceChatCommands.h"
#include "Classes/Pads/PadsPage.h"
#include "Classes/Remote/RemoteControlCommand.h"
#include "Classes/Search/SearchCommands.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/HostServices.h"

#include <array>
#include <cmath>

using platform::HostServices;
using platform::WindowCommand;
using platform::WindowCommands;
namespace names = command_names;

namespace {

constexpr const char* kFile = "File";
constexpr const char* kSound = "Sound";
constexpr const char* kView = "View";
constexpr const char* kHelp = "Help";
constexpr std::array kZoomSteps{1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0};
// Zooms closer than this are the same step.
constexpr double kZoomTolerance = 0.01;

std::function<std::string()>& globalHotkeyListing() {
    static std::function<std::string()> listing;
    return listing;
}

void zoomTo(HostServices& services, double zoom) {
    services.setZoom(zoom);
    DesktopPreferences().setZoom(services.zoom());
}

void addFileMenu(WindowCommands& commands) {
    // The board commands: "New Board from Folder…" first, then the drops.
    WindowCommands boards = boardWindowCommands();
    for (WindowCommand board : boards.commands()) commands.add(kFile, std::move(board));
    commands.onDrop(boards.dropHandler());
    auto open = openBoardCommand();
    open.name = names::kOpenBoard;
    commands.add(kFile, std::move(open)).add(kFile, openRecentCommand());
    auto check = checkBoardCommand();
    check.name = names::kCheckBoard;
    check.separatorBefore = true;
    commands.add(kFile, std::move(check)).add(kFile, remoteControlCommand());
    auto quit = WindowCommand::make("Quit", "Ctrl+Q", [](HostServices&) {
        platform::Application::sharedApplication().terminate(0);
    });
    quit.name = names::kQuit;
    quit.role = platform::WindowCommandRole::kQuit;
    quit.separatorBefore = true;
    commands.add(kFile, std::move(quit));
}

void addViewMenu(WindowCommands& commands) {
    commands.add(kView, findSoundCommand());
    for (WindowCommand category : categoryCommands()) {
        // The shortcuts alone are in no menu: the submenu shows them.
        if (category.submenu) {
            commands.add(kView, std::move(category));
        } else {
            commands.add(std::move(category));
        }
    }
    auto zoomIn = WindowCommand::make("Zoom In", "Ctrl+=", [](HostServices& services) {
        zoomTo(services, nextZoomIn(services.zoom()));
    });
    zoomIn.name = names::kZoomIn;
    zoomIn.otherShortcuts = {"Ctrl++"};
    zoomIn.separatorBefore = true;
    commands.add(kView, std::move(zoomIn));
    auto zoomOut = WindowCommand::make("Zoom Out", "Ctrl+-", [](HostServices& services) {
        zoomTo(services, nextZoomOut(services.zoom()));
    });
    zoomOut.name = names::kZoomOut;
    commands.add(kView, std::move(zoomOut));
    auto actualSize = WindowCommand::make("Actual Size", "Ctrl+0",
                                          [](HostServices& services) { zoomTo(services, 1.0); });
    actualSize.name = names::kActualSize;
    commands.add(kView, std::move(actualSize));

    auto pads = WindowCommand::routed("Pads", "Ctrl+P", std::string(names::kOpenPads), true);
    commands.add(kView, std::move(pads));

    auto favourites =
        WindowCommand::routed("Favourites", "Ctrl+Shift+D", std::string(names::kOpenFavourites));
    favourites.separatorBefore = true;
    commands.add(kView, std::move(favourites));
    commands.add(kView, WindowCommand::routed("Back", "Alt+Left", std::string(names::kBack)));
    auto options = WindowCommand::routed("Options", "Ctrl+,", std::string(names::kToggleOptions));
    options.role = platform::WindowCommandRole::kPreferences;
    commands.add(kView, std::move(options));
}

void addHelpMenu(WindowCommands& commands) {
    auto about = WindowCommand::routed("About", "", std::string(names::kOpenInfo));
    about.role = platform::WindowCommandRole::kAbout;
    commands.add(kHelp, std::move(about));
    auto shortcuts =
        WindowCommand::make("Keyboard Shortcuts", "Ctrl+/", [](HostServices& services) {
            std::string text = keyboardShortcutsText(WindowCommands::applicationCommands());
            if (globalHotkeyListing()) {
                const std::string global = globalHotkeyListing()();
                if (!global.empty()) text += "\n\nGlobal hotkeys (whatever has focus):\n" + global;
            }
            services.tell("Keyboard Shortcuts", text);
        });
    shortcuts.name = names::kKeyboardShortcuts;
    commands.add(kHelp, std::move(shortcuts));
}

void applyPreferencesAtOpening(HostServices& services) {
    applySoundPreferences();
    const DesktopPreferences preferences;
    if (const auto zoom = preferences.zoom()) services.setZoom(*zoom);
    BoardOpeningCheck::start();
    // Over the main page, which stays the root: Back leads there.
    if (preferences.padsPageOpen()) {
        platform::Application::sharedApplication().sendCommand(names::kOpenPads);
    }
}

bool padsPageShown() {
    return dynamic_cast<const PadsPage*>(
               platform::Application::sharedApplication().topPage().get()) != nullptr;
}

}  // namespace

double nextZoomIn(double zoom) {
    for (double step : kZoomSteps) {
        if (step > zoom + kZoomTolerance) return step;
    }
    return kZoomSteps.back();
}

double nextZoomOut(double zoom) {
    for (auto step = kZoomSteps.rbegin(); step != kZoomSteps.rend(); ++step) {
        if (*step < zoom - kZoomTolerance) return *step;
    }
    return kZoomSteps.front();
}

std::string keyboardShortcutsText(const WindowCommands& commands) {
    std::string text;
    for (const WindowCommand& command : commands.commands()) {
        const auto shortcuts = command.shortcuts();
        if (shortcuts.empty()) continue;
        std::string keys;
        for (const std::string& shortcut : shortcuts) {
            keys += (keys.empty() ? "" : " or ") + shortcut;
        }
        text += (text.empty() ? "" : "\n") + command.title + ": " + keys;
    }
    return text;
}

void setGlobalHotkeyListing(std::function<std::string()> listing) {
    globalHotkeyListing() = std::move(listing);
}

WindowCommands desktopCommands() {
    WindowCommands commands;
    addFileMenu(commands);
    for (WindowCommand sound : soundMenuCommands()) commands.add(kSound, std::move(sound));
    for (WindowCommand voice : voiceChatCommands()) commands.add(kSound, std::move(voice));
    addViewMenu(commands);
    addHelpMenu(commands);
    commands.onWindowOpened(applyPreferencesAtOpening);
    commands.rememberFrame([] { return DesktopPreferences().windowFrame(); },
                           [](const platform::WindowFrame& frame) {
                               DesktopPreferences preferences;
                               preferences.setWindowFrame(frame);
                               // Where the window was left includes the page it showed.
                               preferences.setPadsPageOpen(padsPageShown());
                           });
    return commands;
}
