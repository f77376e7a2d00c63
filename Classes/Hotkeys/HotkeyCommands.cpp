#include "Classes/Hotkeys/HotkeyCommands.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/Hotkeys/BoardHotkeys.h"
#include "Classes/PlayPage.h"
#include "Platform/UI/Application.h"

#include <array>
#include <optional>
#include <string>
#include <utility>

using platform::HostServices;
using platform::WindowCommand;
namespace names = command_names;

namespace {

// The sound of the play page on top, if any.
struct ShownSound {
    std::string audioNumber;
    std::string label;
};
std::optional<ShownSound> soundOnTop() {
    auto page = platform::Application::sharedApplication().topPage();
    auto* play = dynamic_cast<PlayPage*>(page.get());
    if (play == nullptr || !play->curData) return std::nullopt;
    return ShownSound{Catalogue::audioNumber(*play->curData), Catalogue::label(*play->curData)};
}

std::string withHotkey(const std::string& title, const BoardHotkeys& hotkeys,
                       const std::string& action) {
    const auto text = hotkeys.hotkeyText(action);
    return text ? title + " (" + *text + ")" : title;
}

}  // namespace

void answerSoundHotkeyCommand(BoardHotkeys& hotkeys) {
    auto& application = platform::Application::sharedApplication();
    application.commandTable().add(
        std::string(names::kSetSoundHotkey), [&hotkeys](std::string_view number) {
            for (const auto& sound : Catalogue::everySound(Catalogue::loadDocument())) {
                if (!sound.entry || Catalogue::audioNumber(*sound.entry) != number) continue;
                hotkeys.setHotkey(BoardHotkeys::soundAction(std::string(number)),
                                  Catalogue::label(*sound.entry),
                                  platform::Application::sharedApplication().hostServices());
                return true;
            }
            return false;
        });
}

platform::WindowCommands hotkeyCommands(BoardHotkeys& hotkeys) {
    platform::WindowCommands commands;
    auto set = WindowCommand::make("Set Hotkey…", "", [&hotkeys](HostServices& services) {
        const auto sound = soundOnTop();
        if (!sound) return;
        hotkeys.setHotkey(BoardHotkeys::soundAction(sound->audioNumber), sound->label, services);
    });
    set.name = "setHotkey";
    set.separatorBefore = true;
    set.enabled = [] { return soundOnTop().has_value(); };
    set.currentTitle = [&hotkeys] {
        const auto sound = soundOnTop();
        if (!sound) return std::string("Set Hotkey…");
        return withHotkey("Set Hotkey…", hotkeys, BoardHotkeys::soundAction(sound->audioNumber));
    };
    commands.add("Sound", std::move(set));

    WindowCommand global;
    global.title = "Global Hotkeys";
    global.submenu = [&hotkeys] {
        const std::array<std::pair<std::string_view, const char*>, 4> actions{{
            {names::kStopAllSounds, "Stop All Sounds"},
            {names::kVolumeUp, "Volume Up"},
            {names::kVolumeDown, "Volume Down"},
            {names::kMute, "Mute"},
        }};
        std::vector<WindowCommand> items;
        for (const auto& [name, title] : actions) {
            const std::string action(name);
            WindowCommand item;
            item.title = withHotkey(std::string(title) + "…", hotkeys, action);
            item.perform = [&hotkeys, action, title = std::string(title)](HostServices& services) {
                hotkeys.setHotkey(action, title, services);
            };
            items.push_back(std::move(item));
        }
        return items;
    };
    commands.add("Sound", std::move(global));
    return commands;
}
