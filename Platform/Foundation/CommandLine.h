#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One option of the program as the command line spells it. `value` names the
// option's values ("DIR", "SOURCE BOARD"), empty for a switch; `alias` is a
// short spelling ("-h") or empty.
struct CommandLineOption {
    std::string_view name;
    std::string_view value;
    std::string_view alias;
    std::string_view help;
    // How many values follow the option (the words of `value`).
    std::size_t valueCount() const;
};

// The command line read once, against the one table of options, so that every
// part of the program that acts on an option reads it the same way: a value is
// given as "--bundle DIR" or "--bundle=DIR" (for an option of two values, the
// first may follow "=": "--make-board=SOURCE BOARD"), and a word taken as a
// value is never read as an option.
struct CommandLine {
    struct Given {
        std::string_view name;  // the option's table name, whatever alias was typed
        std::vector<std::string> values;
    };
    // The options given, in order, each with its values.
    std::vector<Given> given;
    // The first mistake (unknown word, missing or unwanted value, a value
    // option given twice), with a suggestion when one is near; empty when none.
    std::string mistake;
    // The first mistake made with an option of the table (a missing or
    // unwanted value, given twice); words that are no option are not counted.
    std::string optionMistake;
    // The words that are no option of the table, in order, as typed: a window
    // system's own ("-platform offscreen") for whoever takes them.
    std::vector<std::string> unrecognised;

    static CommandLine parse(std::span<const std::string_view> arguments);
    static CommandLine parse(int argc, char** argv);
    static std::span<const CommandLineOption> options();

    // The option `name` when given, or null.
    const Given* find(std::string_view name) const;
    bool has(std::string_view name) const { return find(name) != nullptr; }
};

}  // namespace platform
