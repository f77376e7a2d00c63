#include "Classes/SoundContextMenu.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/Reference.h"
#include "Classes/SoundList.h"
#include "Platform/UI/Application.h"

#include <string>

using platform::HostServices;
using platform::WindowCommand;

namespace {

SoundPlayMode modeOf(const std::string& number) {
    BoardSoundPlayer* player = boardSoundPlayer();
    return player != nullptr ? player->modeOf(number) : SoundPlayMode{};
}

// A change of one part of the sound's mode, the rest kept.
template <class Change>
void changeMode(const std::string& number, Change change) {
    BoardSoundPlayer* player = boardSoundPlayer();
    if (player == nullptr) return;
    SoundPlayMode mode = player->modeOf(number);
    change(mode);
    player->setModeOf(number, mode);
}

WindowCommand againItem(const std::string& number, const char* title, SoundPlayMode::Again again) {
    WindowCommand item;
    item.title = title;
    item.checked = [number, again] { return modeOf(number).again == again; };
    item.perform = [number, again](HostServices&) {
        changeMode(number, [again](SoundPlayMode& mode) { mode.again = again; });
    };
    return item;
}

std::string trimTitle(int decibels) {
    if (decibels == 0) return "0 dB";
    return (decibels > 0 ? "+" : "\u2212") + std::to_string(decibels > 0 ? decibels : -decibels) +
           " dB";
}

std::vector<WindowCommand> trimItems(const std::string& number) {
    std::vector<WindowCommand> items;
    for (int trim = SoundPlayMode::kMaximumTrim; trim >= SoundPlayMode::kMinimumTrim;
         trim -= SoundPlayMode::kTrimStep) {
        WindowCommand item;
        item.title = trimTitle(trim);
        item.checked = [number, trim] { return modeOf(number).trimDecibels == trim; };
        item.perform = [number, trim](HostServices&) {
            changeMode(number, [trim](SoundPlayMode& mode) { mode.trimDecibels = trim; });
        };
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace

std::vector<WindowCommand> soundContextCommands(std::shared_ptr<SPXMLElement> entry,
                                                std::weak_ptr<platform::ViewController> page) {
    std::vector<WindowCommand> commands;
    if (!entry) return commands;
    const std::string number = Catalogue::audioNumber(*entry);

    commands.push_back(
        WindowCommand::make("Play", "", [entry](HostServices&) { SoundList::playEntry(entry); }));
    commands.push_back(WindowCommand::make("Open", "", [entry, page](HostServices&) {
        if (auto shown = page.lock()) SoundList::openPlayPage(*shown, entry);
    }));

    const bool markable = Catalogue::canBeMarked(number);
    WindowCommand favourite;
    favourite.title = "Add to Favourites";
    favourite.currentTitle = [number] {
        return std::string(Reference::boolForKey(number) ? "Remove from Favourites"
                                                         : "Add to Favourites");
    };
    favourite.enabled = [markable] { return markable; };
    favourite.perform = [number](HostServices&) {
        Reference::setBool(!Reference::boolForKey(number), number);
    };
    commands.push_back(std::move(favourite));

    WindowCommand again;
    again.title = "When Played Again";
    again.separatorBefore = true;
    again.submenu = [number] {
        return std::vector<WindowCommand>{
            againItem(number, "Overlap", SoundPlayMode::Again::kOverlap),
            againItem(number, "Restart", SoundPlayMode::Again::kRestart),
            againItem(number, "Stop", SoundPlayMode::Again::kStop)};
    };
    commands.push_back(std::move(again));

    WindowCommand loop;
    loop.title = "Loop";
    loop.checked = [number] { return modeOf(number).loops; };
    loop.perform = [number](HostServices&) {
        changeMode(number, [](SoundPlayMode& mode) { mode.loops = !mode.loops; });
    };
    commands.push_back(std::move(loop));

    WindowCommand trim;
    trim.title = "Volume Trim";
    trim.submenu = [number] { return trimItems(number); };
    commands.push_back(std::move(trim));

    // Where global hotkeys run, the sound can have one of its own.
    auto& application = platform::Application::sharedApplication();
    if (application.commandState(command_names::kSetSoundHotkey).enabled) {
        WindowCommand hotkey = WindowCommand::make("Set Hotkey…", "", [number](HostServices&) {
            platform::Application::sharedApplication().sendCommand(command_names::kSetSoundHotkey,
                                                                   number);
        });
        hotkey.separatorBefore = true;
        commands.push_back(std::move(hotkey));
    }
    return commands;
}
