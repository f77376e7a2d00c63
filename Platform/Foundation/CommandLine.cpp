#include "CommandLine.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace platform {
namespace {

// Every option the program takes, in the order --help lists them. A new option
// is one row here (and its reading where it is used).
constexpr std::array<CommandLineOption, 13> kOptions{{
    {"--bundle", "DIR", "", "open the board or bundle in DIR"},
    {"--make-board", "SOURCE BOARD", "", "make the board BOARD from the audio files in SOURCE"},
    {"--check-board", "DIR", "", "report every problem of the board in DIR and exit"},
    {"--headless", "", "", "run without a window until SIGINT or SIGTERM"},
    {"--play", "LABEL", "", "play LABEL in the running Soundboard and exit"},
    {"--stop-all", "", "", "stop every sound of the running Soundboard and exit"},
    {"--remote", "", "", "serve the board to phones on the local network"},
    {"--voice-chat", "", "", "play into calls as \"Soundboard Microphone\""},
    {"--screenshot", "DIR", "", "draw every screen into DIR as PNG files and exit"},
    {"--report-first-frame", "", "", "print \"first frame drawn\" once the window is drawn"},
    {"--quit-after-first-frame", "", "", "end normally once the window is drawn"},
    {"--help", "", "-h", "print this help and exit"},
    {"--version", "", "", "print the version and exit"},
}};

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
const CommandLineOption* nearestOption(std::string_view word) {
    std::string_view bare = word;
    while (bare.starts_with('-')) bare.remove_prefix(1);
    if (bare.empty()) return nullptr;
    const CommandLineOption* best = nullptr;
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

const CommandLineOption* findOption(std::string_view name) {
    for (const auto& option : kOptions) {
        if (option.name == name || (!option.alias.empty() && option.alias == name)) return &option;
    }
    return nullptr;
}

}  // namespace

std::size_t CommandLineOption::valueCount() const {
    if (value.empty()) return 0;
    return static_cast<std::size_t>(std::count(value.begin(), value.end(), ' ') + 1);
}

std::span<const CommandLineOption> CommandLine::options() {
    return kOptions;
}

CommandLine CommandLine::parse(int argc, char** argv) {
    std::vector<std::string_view> arguments;
    for (int index = 1; index < argc && argv != nullptr && argv[index] != nullptr; ++index) {
        arguments.emplace_back(argv[index]);
    }
    return parse(arguments);
}

CommandLine CommandLine::parse(std::span<const std::string_view> arguments) {
    CommandLine result;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        const std::size_t equals = argument.starts_with("--") ? argument.find('=') : argument.npos;
        const bool inlineValue = equals != argument.npos;
        const CommandLineOption* option = findOption(argument.substr(0, equals));
        std::string mistake;
        if (option == nullptr) {
            result.unrecognised.emplace_back(argument);
            if (result.mistake.empty()) result.mistake = unknownMistake(argument);
            continue;
        }
        Given given;
        given.name = option->name;
        if (option->value.empty() && inlineValue) {
            mistake = "option " + quoted(option->name) + " takes no value";
        } else if (option->valueCount() > 0) {
            const std::size_t count = option->valueCount();
            if (inlineValue) given.values.emplace_back(argument.substr(equals + 1));
            while (given.values.size() < count && index + 1 < arguments.size()) {
                given.values.emplace_back(arguments[++index]);
            }
            const bool missing =
                given.values.size() < count ||
                std::any_of(given.values.begin(), given.values.end(),
                            [](const std::string& value) { return value.empty(); });
            if (missing) {
                mistake = "option " + quoted(option->name) +
                          (count == 1 ? " needs a value: " : " needs values: ") +
                          std::string(option->name) + " " + std::string(option->value);
            } else if (result.has(option->name)) {
                // Which of two folders was meant is a guess; so is which one to remember.
                mistake = "option " + quoted(option->name) + " is given more than once";
            }
        }
        if (!mistake.empty()) {
            if (result.optionMistake.empty()) result.optionMistake = mistake;
            if (result.mistake.empty()) result.mistake = std::move(mistake);
            continue;
        }
        result.given.push_back(std::move(given));
    }
    return result;
}

const CommandLine::Given* CommandLine::find(std::string_view name) const {
    const auto found = std::find_if(given.begin(), given.end(),
                                    [name](const Given& option) { return option.name == name; });
    return found == given.end() ? nullptr : &*found;
}

}  // namespace platform
