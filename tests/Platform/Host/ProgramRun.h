#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace hosttest {

// The real soundboard program run as a child of the test, its standard output
// and standard error read together, line by line, through one pipe. Killed and
// reaped on destruction if still running.
class ProgramRun {
  public:
    // `environmentChanges`: "NAME=value" sets a variable, a bare "NAME" removes it.
    // The child gets the leak suppressions every test program uses.
    explicit ProgramRun(const std::vector<std::string>& arguments,
                        const std::vector<std::string>& environmentChanges = {});
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool started() const { return m_pid > 0; }
    // Reads until a line containing `text` arrives. False at the end of the
    // output, or when nothing arrives for a minute (a hung child fails the test
    // instead of stalling it).
    bool waitForLine(std::string_view text);
    void sendSignal(int signal) const;
    // Reads the rest of the output and reaps the child; its wait status.
    int finish();

    const std::vector<std::string>& lines() const { return m_lines; }
    std::size_t countLinesContaining(std::string_view text) const;

  private:
    // One more line into m_lines; false at the end of the output or on time-out.
    bool readLine();
    pid_t m_pid = -1;
    int m_output = -1;
    bool m_timedOut = false;
    std::string m_pending;
    std::vector<std::string> m_lines;
};

}  // namespace hosttest
