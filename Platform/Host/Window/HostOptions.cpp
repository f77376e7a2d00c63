#include "HostOptions.h"

#include "Platform/Foundation/CommandLine.h"
#include "Platform/UI/ApplicationHost.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace platform {
namespace {

constexpr std::array<HostOptions::Variable, 6> kVariables{{
    {"SOUNDBOARD_BUNDLE", "the bundle folder when --bundle is not given"},
    {"SOUNDBOARD_URL_HANDLER", "the program that opens links (default: xdg-open)"},
    {"XDG_CONFIG_HOME", "where the settings folder is (default: ~/.config)"},
    {"DISPLAY, WAYLAND_DISPLAY", "the display the window opens on"},
    {"QT_QPA_PLATFORM", "Qt's window system (\"offscreen\": no display)"},
    {"SDL_AUDIODRIVER", "the audio output (\"dummy\": silence)"},
}};

constexpr std::string_view kSettingsFile =
    "$XDG_CONFIG_HOME/org.soundboard.Soundboard/org.soundboard.Soundboard.plist";

}  // namespace

HostOptions HostOptions::fromLaunchArguments(const LaunchArguments& arguments) {
    HostOptions options;
    options.screenshotDir = arguments.screenshotDir;
    for (const std::string& argument : arguments.rest) {
        if (argument == "--report-first-frame") {
            options.reportFirstFrame = true;
        } else if (argument == "--quit-after-first-frame") {
            options.reportFirstFrame = true;
            options.quitAfterFirstFrame = true;
        } else {
            options.unknown.push_back(argument);
        }
    }
    return options;
}

std::span<const HostOptions::Option> HostOptions::options() {
    return CommandLine::options();
}

std::span<const HostOptions::Variable> HostOptions::variables() {
    return kVariables;
}

HostOptions::Check HostOptions::check(std::span<const std::string_view> arguments) {
    const CommandLine line = CommandLine::parse(arguments);
    Check result;
    if (line.has("--help")) {
        result.request = Request::Help;
    } else if (line.has("--version")) {
        result.request = Request::Version;
    } else if (!line.mistake.empty()) {
        result.request = Request::Mistake;
        result.mistake = line.mistake;
    }
    return result;
}

std::string HostOptions::usage() {
    std::size_t width = 0;
    const auto spelled = [](const Option& option) {
        std::string text = option.alias.empty() ? std::string() : std::string(option.alias) + ", ";
        text += option.name;
        if (!option.value.empty()) text += " " + std::string(option.value);
        return text;
    };
    for (const auto& option : options()) width = std::max(width, spelled(option).size());
    for (const auto& variable : kVariables) width = std::max(width, variable.name.size());

    const auto line = [width](std::string_view left, std::string_view right) {
        std::string text = "  " + std::string(left);
        text.append(width + 2 - left.size(), ' ');
        return text + std::string(right) + "\n";
    };
    std::string text =
        "Usage: soundboard [OPTION]...\n"
        "Play short sound clips by category and keep your favourites.\n\nOptions:\n";
    for (const auto& option : options()) text += line(spelled(option), option.help);
    text += "\nEnvironment:\n";
    for (const auto& variable : kVariables) text += line(variable.name, variable.help);
    text += "\nSettings and favourites:\n  " + std::string(kSettingsFile) + "\n";
    return text;
}

std::string HostOptions::mistakeText(std::string_view mistake) {
    return "soundboard: " + std::string(mistake) +
           "\nTry 'soundboard --help' for the list of options.\n";
}

}  // namespace platform
