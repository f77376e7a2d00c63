#include "HostOptions.h"

#include "Platform/UI/ApplicationHost.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace platform {
namespace {

// Every option the program takes, in the order --help lists them. A new option
// is one row here (and its reading where it is used).
constexpr std::array<HostOptions::Option, 9> kOptions{{
    {"--bundle", "DIR", "", "open the board or bundle in DIR"},
    {"--make-board", "SOURCE BOARD", "", "make the board BOARD from the audio files in SOURCE"},
    {"--check-board", "DIR", "", "report every problem of the board in DIR and exit"},
    {"--headless", "", "", "run without a window until SIGINT or SIGTERM"},
    {"--screenshot", "DIR", "", "draw every screen into DIR as PNG files and exit"},
    {"--report-first-frame", "", "", "print \"first frame drawn\" once the window is drawn"},
    {"--quit-after-first-frame", "", "", "end normally once the window is drawn"},
    {"--help", "", "-h", "print this help and exit"},
    {"--version", "", "", "print the version and exit"},
}};

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

// Edits (insert, delete, replace) that turn `a` into `b`, letters compared
// regardless of case ("--HELP" is near "--help").
bool sameLetter(char a, char b) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return lower(a) == lower(b);
}

std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j < row.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t replace = diagonal + (sameLetter(a[i - 1], b[j - 1]) ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, replace});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The option meant by a mistyped `word` ("--hedless", "-headless", "headless",
// "--bund"), or none when nothing is near.
const HostOptions::Option* nearestOption(std::string_view word) {
    std::string_view bare = word;
    while (bare.starts_with('-')) bare.remove_prefix(1);
    if (bare.empty()) return nullptr;
    const HostOptions::Option* best = nullptr;
    std::size_t bestDistance = 3;  // farther than two edits is another word
    for (const auto& option : kOptions) {
        const std::string_view name = option.name.substr(2);
        std::size_t distance = editDistance(bare, name);
        // A clear beginning of one option counts as near ("--scr").
        if (bare.size() >= 3 && name.starts_with(bare))
            distance = std::min<std::size_t>(distance, 1);
        if (distance < bestDistance) {
            best = &option;
            bestDistance = distance;
        }
    }
    return best;
}

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

std::string unknownMistake(std::string_view word) {
    std::string text =
        (word.starts_with('-') ? "unknown option " : "unexpected argument ") + quoted(word);
    if (const auto* near = nearestOption(word)) {
        text += "; did you mean " + quoted(near->name) + "?";
    }
    return text;
}

const HostOptions::Option* findOption(std::string_view name) {
    for (const auto& option : kOptions) {
        if (option.name == name || (!option.alias.empty() && option.alias == name)) return &option;
    }
    return nullptr;
}

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
    return kOptions;
}

std::span<const HostOptions::Variable> HostOptions::variables() {
    return kVariables;
}

HostOptions::Check HostOptions::check(std::span<const std::string_view> arguments) {
    Check result;
    bool help = false;
    bool version = false;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        const std::size_t equals = argument.starts_with("--") ? argument.find('=') : argument.npos;
        const std::string_view name = argument.substr(0, equals);
        const Option* option = findOption(name);
        std::string mistake;
        if (option == nullptr) {
            mistake = unknownMistake(argument);
        } else if (option->value.empty() && equals != argument.npos) {
            mistake = "option " + quoted(option->name) + " takes no value";
        } else if (!option->value.empty()) {
            // "SOURCE BOARD" names two values; only a single value may follow "=".
            const auto count = static_cast<std::size_t>(
                std::count(option->value.begin(), option->value.end(), ' ') + 1);
            const bool inlineValue = equals != argument.npos;
            bool missing = false;
            if (inlineValue) {
                missing = count != 1 || argument.size() == equals + 1;
            } else {
                for (std::size_t n = 1; n <= count; ++n) {
                    if (index + n >= arguments.size() || arguments[index + n].empty()) {
                        missing = true;
                    }
                }
                index += std::min(count, arguments.size() - 1 - index);
            }
            if (missing) {
                mistake = "option " + quoted(option->name) +
                          (count == 1 ? " needs a value: " : " needs values: ") +
                          std::string(option->name) + " " + std::string(option->value);
            }
        }
        if (!mistake.empty()) {
            if (result.mistake.empty()) result.mistake = std::move(mistake);
            continue;
        }
        help = help || option->name == "--help";
        version = version || option->name == "--version";
    }
    if (help) {
        result.request = Request::Help;
    } else if (version) {
        result.request = Request::Version;
    } else if (!result.mistake.empty()) {
        result.request = Request::Mistake;
    }
    if (result.request != Request::Mistake) result.mistake.clear();
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
    for (const auto& option : kOptions) width = std::max(width, spelled(option).size());
    for (const auto& variable : kVariables) width = std::max(width, variable.name.size());

    const auto line = [width](std::string_view left, std::string_view right) {
        std::string text = "  " + std::string(left);
        text.append(width + 2 - left.size(), ' ');
        return text + std::string(right) + "\n";
    };
    std::string text =
        "Usage: soundboard [OPTION]...\n"
        "Play short sound clips by category and keep your favourites.\n\nOptions:\n";
    for (const auto& option : kOptions) text += line(spelled(option), option.help);
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
