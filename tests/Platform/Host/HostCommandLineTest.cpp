// The command line as a user types it: the checks against the option table, the
// help text, and the real program's answers to --help, --version and mistakes.

#include "ProgramRun.h"

#include "../../support/TestEnvironment.h"
#include "Platform/Host/Window/HostOptions.h"
#include "SoundboardVersion.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using platform::HostOptions;
using Request = HostOptions::Request;

HostOptions::Check checkOf(const std::vector<std::string_view>& arguments) {
    return HostOptions::check(arguments);
}

TEST(HostCommandLineTest, EachCommandLineGetsItsRequestAndTheFirstMistakeNamed) {
    const struct {
        std::vector<std::string_view> arguments;
        Request request;
        const char* mistakeHas;  // empty: no mistake
    } cases[] = {
        {{}, Request::Run, ""},
        {{"--headless"}, Request::Run, ""},
        {{"--bundle", "/some/folder", "--report-first-frame"}, Request::Run, ""},
        {{"--bundle=/some/folder", "--quit-after-first-frame"}, Request::Run, ""},
        {{"--screenshot", "shots"}, Request::Run, ""},
        {{"--help"}, Request::Help, ""},
        {{"-h"}, Request::Help, ""},
        {{"--version"}, Request::Version, ""},
        // Help and version win over anything else on the line, mistakes too.
        {{"--hedless", "--help"}, Request::Help, ""},
        {{"--version", "--help"}, Request::Help, ""},
        {{"--bundle", "--version"}, Request::Run, ""},  // "--version" is the folder
        {{"--hedless"}, Request::Mistake, "unknown option '--hedless'; did you mean '--headless'?"},
        {{"-headless"}, Request::Mistake, "did you mean '--headless'?"},
        {{"headless"}, Request::Mistake, "unexpected argument 'headless'; did you mean"},
        {{"--scr", "x"}, Request::Mistake, "did you mean '--screenshot'?"},
        {{"--Version"}, Request::Mistake, "did you mean '--version'?"},
        {{"--HELP"}, Request::Mistake, "did you mean '--help'?"},
        {{"--"}, Request::Mistake, "unknown option '--'"},
        {{"-x"}, Request::Mistake, "unknown option '-x'"},
        {{""}, Request::Mistake, "unexpected argument ''"},
        {{"--bundle"}, Request::Mistake, "option '--bundle' needs a value: --bundle DIR"},
        {{"--bundle="}, Request::Mistake, "option '--bundle' needs a value"},
        {{"--screenshot", ""}, Request::Mistake, "option '--screenshot' needs a value"},
        {{"--headless=yes"}, Request::Mistake, "option '--headless' takes no value"},
        {{"--help=me"}, Request::Mistake, "option '--help' takes no value"},
        {{"--headless", "--hedless", "--bundel"}, Request::Mistake, "'--hedless'"},
        // Every option with a value takes it after "=", the first of two too.
        {{"--check-board=/b"}, Request::Run, ""},
        {{"--screenshot=shots"}, Request::Run, ""},
        {{"--make-board=/from", "/to"}, Request::Run, ""},
        {{"--make-board=/from"}, Request::Mistake, "needs values: --make-board SOURCE BOARD"},
        // A value option twice: which one was meant is not guessed.
        {{"--bundle", "/a", "--bundle", "/b"}, Request::Mistake, "'--bundle' is given more"},
        {{"--check-board", "/a", "--check-board=/b"}, Request::Mistake, "'--check-board' is"},
        {{"--screenshot=a", "--headless", "--screenshot", "b"}, Request::Mistake, "more than"},
        {{"--headless", "--headless"}, Request::Run, ""},
    };
    for (const auto& item : cases) {
        std::string shown;
        for (auto argument : item.arguments) shown += "[" + std::string(argument) + "]";
        SCOPED_TRACE(shown);
        const auto check = checkOf(item.arguments);
        EXPECT_EQ(check.request, item.request);
        if (*item.mistakeHas == '\0') {
            EXPECT_EQ(check.mistake, "");
        } else {
            EXPECT_NE(check.mistake.find(item.mistakeHas), std::string::npos) << check.mistake;
        }
    }
    // No guess for a word far from every option.
    EXPECT_EQ(checkOf({"--colour"}).mistake, "unknown option '--colour'");
}

TEST(HostCommandLineTest, HelpListsEveryOptionOnOneLineWithTheEnvironmentAndTheSettings) {
    const std::string usage = HostOptions::usage();
    std::vector<std::string> lines;
    std::istringstream stream(usage);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    for (const auto& line : lines) EXPECT_LE(line.size(), 80u) << line;

    for (const auto& option : HostOptions::options()) {
        SCOPED_TRACE(std::string(option.name));
        std::size_t found = 0;
        for (const auto& line : lines) {
            if (line.find(std::string(option.name) + " ") != std::string::npos &&
                line.find(option.help) != std::string::npos) {
                ++found;
            }
        }
        EXPECT_EQ(found, 1u);
        EXPECT_FALSE(option.help.empty());
    }
    for (const auto& variable : HostOptions::variables()) {
        EXPECT_NE(usage.find(variable.name), std::string::npos) << variable.name;
    }
    EXPECT_NE(usage.find("org.soundboard.Soundboard.plist"), std::string::npos);
    EXPECT_NE(usage.find("XDG_CONFIG_HOME"), std::string::npos);
}

TEST(HostCommandLineTest, TheManualPageDescribesEveryOptionAndVariable) {
    const auto page =
        std::filesystem::path(SB_HOST_SOURCE_BUNDLE).parent_path() / "docs" / "soundboard.1.in";
    const std::string text = sbtest::readFile(page);
    ASSERT_FALSE(text.empty()) << page;
    // Roff spells a minus that must stay one as "\-".
    const auto roff = [](std::string_view word) {
        std::string spelled;
        for (char c : word) spelled += c == '-' ? std::string("\\-") : std::string(1, c);
        return spelled;
    };
    for (const auto& option : HostOptions::options()) {
        EXPECT_NE(text.find(roff(option.name)), std::string::npos) << option.name;
    }
    for (const auto& variable : HostOptions::variables()) {
        const std::string first(variable.name.substr(0, variable.name.find(',')));
        EXPECT_NE(text.find(first), std::string::npos) << first;
    }
}

std::string describe(const hosttest::ProgramRun& run) {
    std::string all;
    for (const auto& line : run.lines()) all += line + "\n";
    return all;
}

TEST(HostCommandLineTest, TheProgramAnswersWithoutOpeningAWindow) {
    // No display at all: none of these may need one.
    const std::vector<std::string> noDisplay{"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* firstLine;
        const char* someLine;
    } cases[] = {
        {{"--help"}, 0, "Usage: soundboard [OPTION]...", "  --headless"},
        {{"-h", "--bundle"}, 0, "Usage: soundboard [OPTION]...", "Environment:"},
        {{"--version"}, 0, "", ""},
        {{"--hedless"},
         2,
         "soundboard: unknown option '--hedless'; did you mean '--headless'?",
         "Try 'soundboard --help' for the list of options."},
        {{"--bundle"}, 2, "soundboard: option '--bundle' needs a value: --bundle DIR", ""},
        {{"--headless", "extra"}, 2, "soundboard: unexpected argument 'extra'", ""},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.arguments.front());
        hosttest::ProgramRun run(item.arguments, noDisplay);
        const int status = run.finish();
        ASSERT_TRUE(WIFEXITED(status)) << describe(run);
        EXPECT_EQ(WEXITSTATUS(status), item.status) << describe(run);
        ASSERT_FALSE(run.lines().empty());
        const std::string expectedFirst = *item.firstLine != '\0'
                                              ? std::string(item.firstLine)
                                              : "soundboard " + std::string(kSoundboardVersion);
        EXPECT_EQ(run.lines().front(), expectedFirst);
        if (*item.someLine != '\0') {
            EXPECT_GE(run.countLinesContaining(item.someLine), 1u) << describe(run);
        }
        // Nothing launched: no lifecycle line, no window.
        EXPECT_EQ(run.countLinesContaining("Application"), 0u) << describe(run);
    }
}

// What the program does with each spelling, judged by what it did: the board
// commands answer with their own report, a refused line changes no setting.
TEST(HostCommandLineTest, EveryValueOptionIsReadInEitherSpellingAndNeverDroppedOrRepeated) {
    namespace fs = std::filesystem;
    const fs::path board = sbtest::tempDir() / "Board";
    const fs::path other = sbtest::tempDir() / "Other";
    const fs::path source = sbtest::tempDir() / "Empty";
    for (const auto& folder : {board, other, source}) fs::create_directories(folder);
    sbtest::writeFile(board / "Data.XML", "<D><DT title=\"A\"/></D>");
    sbtest::writeFile(other / "Data.XML", "<D><DT title=\"B\"/></D>");
    const std::string missing = (sbtest::tempDir() / "missing").string();
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* someLine;
    } cases[] = {
        {{"--check-board=" + missing}, 1, ": not usable"},
        {{"--check-board", missing}, 1, ": not usable"},
        {{"--make-board=" + source.string(), (sbtest::tempDir() / "Made").string()},
         1,
         "soundboard: no board made"},
        {{"--check-board", missing, "--check-board", board.string()}, 2, "given more than once"},
        {{"--bundle", board.string(), "--bundle", other.string(), "--headless"},
         2,
         "soundboard: option '--bundle' is given more than once"},
        {{"--bundle=" + board.string(), "--screenshot=x", "--screenshot=y"}, 2, "more than once"},
        // A folder that is no board is named as such, with the way to make one.
        {{"--bundle", source.string(), "--headless"},
         1,
         "is not a board (it holds no Data.XML); to make one of the sounds in it: soundboard "
         "--make-board"},
        {{"--bundle=" + missing, "--headless"}, 1, "missing is not a folder"},
    };
    const fs::path settings = sbtest::tempDir() / ".config";
    for (const auto& item : cases) {
        SCOPED_TRACE(item.arguments.front());
        hosttest::ProgramRun run(item.arguments, {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"});
        const int status = run.finish();
        ASSERT_TRUE(WIFEXITED(status)) << describe(run);
        EXPECT_EQ(WEXITSTATUS(status), item.status) << describe(run);
        EXPECT_GE(run.countLinesContaining(item.someLine), 1u) << describe(run);
        EXPECT_EQ(run.countLinesContaining("Ignoring"), 0u) << describe(run);
        EXPECT_EQ(run.countLinesContaining("Application"), 0u) << describe(run);
        // Neither folder is remembered as the board opened last.
        std::error_code failed;
        EXPECT_TRUE(!fs::exists(settings, failed) || fs::is_empty(settings, failed))
            << describe(run);
    }
}

}  // namespace
