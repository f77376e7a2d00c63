#pragma once

// A helper program run by a test, its standard output read line by line
// through a pipe. Killed and reaped on destruction if still running.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace sbtest {

class ChildProcess {
  public:
    explicit ChildProcess(std::vector<std::string> arguments) {
        int fds[2] = {-1, -1};
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        m_output = fds[0];

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
    }
    ~ChildProcess() {
        if (m_pid > 0) {
            kill();
            wait();
        }
        if (m_output >= 0) ::close(m_output);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0 && m_output >= 0; }

    // The next whole line (without its newline); none at end of output.
    std::optional<std::string> readLine() {
        while (true) {
            auto newline = m_buffer.find('\n');
            if (newline != std::string::npos) {
                std::string line = m_buffer.substr(0, newline);
                m_buffer.erase(0, newline + 1);
                return line;
            }
            std::array<char, 4096> chunk{};
            ssize_t count = ::read(m_output, chunk.data(), chunk.size());
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) return std::nullopt;
            m_buffer.append(chunk.data(), static_cast<std::size_t>(count));
        }
    }

    void kill() {
        if (m_pid > 0) ::kill(m_pid, SIGKILL);
    }

    // Reaps the child; its wait status.
    int wait() {
        int status = 0;
        if (m_pid <= 0) return status;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
        return status;
    }

  private:
    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_buffer;
};

}  // namespace sbtest
