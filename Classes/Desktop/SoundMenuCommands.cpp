#include "Classes/Desktop/SoundMenuCommands.h"

#include "Classes/CommandNames.h"
#include "Classes/Desktop/DesktopPreferences.h"
#include "Classes/PeltoAppDelegate.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/UI/Application.h"

#include <algorithm>
#include <cmath>
#include <string>

using platform::HostServices;
using platform::WindowCommand;
namespace names = command_names;

namespace {

constexpr const char* kSystemDefault = "System default";

std::string percent(int value) {
    return std::to_string(value) + "%";
}

std::function<void()>& levelObserver() {
    static std::function<void()> observer;
    return observer;
}

void tellLevel() {
    if (levelObserver()) levelObserver()();
}

void setVolume(int value) {
    platform::setSystemSoundVolume(value);
    platform::setSystemSoundMuted(false);
    DesktopPreferences preferences;
    preferences.setVolume(platform::systemSoundVolume());
    preferences.setMuted(false);
    tellLevel();
}

void setMuted(bool muted) {
    platform::setSystemSoundMuted(muted);
    DesktopPreferences().setMuted(muted);
    tellLevel();
}

void chooseDevice(const std::string& name) {
    platform::setAudioOutputDevice(name);
    // The user's choice is kept by the server's name for the device, which
    // stays the same across restarts and re-plugging (its description need
    // not), and even when the device is away now: it is tried again at the
    // next start.
    DesktopPreferences().setOutputDevice(name);
}

WindowCommand deviceItem(const std::string& title, const std::string& name,
                         const std::string& current) {
    WindowCommand item;
    item.title = title;
    item.checked = [checked = name == current] { return checked; };
    item.perform = [name](HostServices&) { chooseDevice(name); };
    return item;
}

std::vector<WindowCommand> deviceItems() {
    // Listing first: it notices a chosen device that has gone.
    const std::vector<platform::OutputDeviceInfo> devices = platform::audioOutputDevices();
    const std::string current = platform::audioOutputDevice();
    std::vector<WindowCommand> items{deviceItem(kSystemDefault, "", current)};
    for (std::size_t index = 0; index < devices.size(); ++index) {
        items.push_back(deviceItem(devices[index].description, devices[index].name, current));
        items.back().separatorBefore = index == 0;
    }
    return items;
}

// "1.5 s left", to a tenth of a second, rounded up so a sound never reads 0 s
// while it still sounds.
std::string timeLeft(double seconds) {
    const double tenths = std::ceil(std::max(0.0, seconds) * 10.0);
    const long whole = static_cast<long>(tenths) / 10;
    const long tenth = static_cast<long>(tenths) % 10;
    return std::to_string(whole) + "." + std::to_string(tenth) + " s left";
}

std::vector<WindowCommand> nowPlayingItems() {
    std::vector<WindowCommand> items;
    BoardSoundPlayer* player = boardSoundPlayer();
    for (const auto& playing :
         player ? player->nowPlaying() : std::vector<BoardSoundPlayer::Playing>{}) {
        WindowCommand item;
        const std::string name = playing.label.empty() ? playing.audioNumber : playing.label;
        item.title =
            "Stop " + name + " (" +
            (playing.secondsLeft ? timeLeft(*playing.secondsLeft) : std::string("looping")) + ")";
        item.perform = [sound = playing.sound](HostServices&) { platform::stopSystemSound(sound); };
        items.push_back(std::move(item));
    }
    if (items.empty()) {
        WindowCommand none;
        none.title = "Nothing Playing";
        none.enabled = [] { return false; };
        items.push_back(std::move(none));
    }
    return items;
}

}  // namespace

std::vector<WindowCommand> soundMenuCommands() {
    std::vector<WindowCommand> commands;

    commands.push_back(WindowCommand::routed("Play", "Space", std::string(names::kPlay)));

    auto favourite =
        WindowCommand::routed("Add to Favourites", "Ctrl+D", std::string(names::kToggleFavourite));
    favourite.currentTitle = [] {
        const auto state =
            platform::Application::sharedApplication().commandState(names::kToggleFavourite);
        return std::string(state.checked ? "Remove from Favourites" : "Add to Favourites");
    };
    commands.push_back(std::move(favourite));

    auto stopAll = WindowCommand::make("Stop All Sounds", "Ctrl+.",
                                       [](HostServices&) { platform::stopAllSystemSounds(); });
    stopAll.name = names::kStopAllSounds;
    stopAll.otherShortcuts = {"Pause"};
    stopAll.separatorBefore = true;
    commands.push_back(std::move(stopAll));

    WindowCommand nowPlaying;
    nowPlaying.title = "Now Playing";
    nowPlaying.submenu = nowPlayingItems;
    commands.push_back(std::move(nowPlaying));

    auto louder = WindowCommand::make("Volume Up", "Ctrl+Up", [](HostServices&) {
        setVolume(platform::systemSoundVolume() + kVolumeStep);
    });
    louder.name = names::kVolumeUp;
    louder.otherShortcuts = {"Volume Up"};
    louder.separatorBefore = true;
    louder.currentTitle = [] {
        return "Volume Up (" + percent(platform::systemSoundVolume()) + ")";
    };
    louder.enabled = [] {
        return platform::isSystemSoundMuted() || platform::systemSoundVolume() < 100;
    };
    commands.push_back(std::move(louder));

    auto quieter = WindowCommand::make("Volume Down", "Ctrl+Down", [](HostServices&) {
        setVolume(platform::systemSoundVolume() - kVolumeStep);
    });
    quieter.name = names::kVolumeDown;
    quieter.otherShortcuts = {"Volume Down"};
    quieter.currentTitle = [] {
        return "Volume Down (" + percent(platform::systemSoundVolume()) + ")";
    };
    quieter.enabled = [] { return platform::systemSoundVolume() > 0; };
    commands.push_back(std::move(quieter));

    auto mute = WindowCommand::make(
        "Mute", "Ctrl+M", [](HostServices&) { setMuted(!platform::isSystemSoundMuted()); });
    mute.name = names::kMute;
    mute.otherShortcuts = {"Volume Mute"};
    mute.checked = [] { return platform::isSystemSoundMuted(); };
    mute.currentTitle = [] {
        return platform::isSystemSoundMuted()
                   ? "Mute (0%)"
                   : "Mute (" + percent(platform::systemSoundVolume()) + ")";
    };
    commands.push_back(std::move(mute));

    WindowCommand devices;
    devices.title = "Output Device";
    devices.separatorBefore = true;
    devices.submenu = deviceItems;
    commands.push_back(std::move(devices));
    return commands;
}

void applySoundPreferences() {
    const DesktopPreferences preferences;
    platform::setSystemSoundVolume(preferences.volume());
    platform::setSystemSoundMuted(preferences.muted());
    platform::setAudioOutputDevice(preferences.outputDevice());
}

void setSoundVolume(int percent) {
    setVolume(percent);
}

void setSoundLevelObserver(std::function<void()> observer) {
    levelObserver() = std::move(observer);
}
