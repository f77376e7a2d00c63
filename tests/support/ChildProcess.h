#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sbtest {

// A program run as a child by a test or a benchmark, its standard output read
// line by line through a pipe (with standard error too, when asked). Killed and
// reaped on destruction if still running.
class ChildProcess {
  public:
    enum class Errors {
        Inherit,     // standard error stays the parent's
        WithOutput,  // standard error goes into the same pipe as standard output
        ToFile,      // standard error replaces `errorFile`
        Discard,     // standard error goes to /dev/null
    };
    struct Options {
        // "NAME=value" sets a variable, a bare "NAME" removes it.
        std::vector<std::string> environmentChanges;
        Errors errors = Errors::Inherit;
        std::filesystem::path errorFile;
    };

    // arguments[0] is the program's path.
    explicit ChildProcess(std::vector<std::string> arguments);
    ChildProcess(std::vector<std::string> arguments, Options options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    // The next line (without its newline; a last line without one still
    // counts), also kept in lines(). None at the end of the output, or when
    // nothing arrives for a minute (a hung child fails the test instead of
    // stalling it).
    std::optional<std::string> readLine();
    // Reads until a line containing `text` arrives (or has arrived). False at
    // the end of the output or on the minute's silence.
    bool waitForLine(std::string_view text);

    void sendSignal(int signal) const;
    void kill() const;
    // Reaps the child; its wait status (0 when it was reaped before).
    int wait();
    // Reads the rest of the output and reaps the child; its wait status. A
    // child that went quiet without ending is killed rather than waited for.
    int finish();

    const std::vector<std::string>& lines() const { return m_lines; }
    // The child's largest resident set, once it has been reaped (0 before).
    long peakMemoryKiB() const { return m_usage.ru_maxrss; }
    std::size_t countLinesContaining(std::string_view text) const;

  private:
    pid_t m_pid = -1;
    int m_output = -1;
    bool m_timedOut = false;
    rusage m_usage{};
    std::string m_pending;
    std::vector<std::string> m_lines;
};

}  // namespace sbtest
