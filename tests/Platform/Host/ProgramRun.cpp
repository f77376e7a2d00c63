#include "ProgramRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

extern char** environ;

namespace hosttest {
namespace {

constexpr int kQuietLimitMs = 60'000;

std::vector<std::string> childEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
    std::vector<std::string> all = changes;
    all.push_back("LSAN_OPTIONS=suppressions=" SB_HOST_LSAN_SUPPRESSIONS ":print_suppressions=0");
    for (const std::string& change : all) {
        const std::string name = change.substr(0, change.find('='));
        std::erase_if(environment, [&](const std::string& entry) {
            return entry.compare(0, name.size() + 1, name + "=") == 0;
        });
        if (change.find('=') != std::string::npos) environment.push_back(change);
    }
    return environment;
}

}  // namespace

ProgramRun::ProgramRun(const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environmentChanges) {
    std::array<int, 2> ends{-1, -1};
    if (::pipe2(ends.data(), O_CLOEXEC) != 0) return;
    m_output = ends[0];

    std::vector<std::string> argumentStrings{SB_SOUNDBOARD_PROGRAM};
    argumentStrings.insert(argumentStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentStrings = childEnvironment(environmentChanges);
    std::vector<char*> argv;
    for (auto& argument : argumentStrings) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& entry : environmentStrings) envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
}

ProgramRun::~ProgramRun() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        finish();
    }
    if (m_output >= 0) ::close(m_output);
}

bool ProgramRun::readLine() {
    while (true) {
        const auto newline = m_pending.find('\n');
        if (newline != std::string::npos) {
            m_lines.push_back(m_pending.substr(0, newline));
            m_pending.erase(0, newline + 1);
            return true;
        }
        if (m_output < 0) return false;
        pollfd watch{m_output, POLLIN, 0};
        const int ready = ::poll(&watch, 1, kQuietLimitMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            m_timedOut = true;
            return false;
        }
        std::array<char, 4096> chunk{};
        const ssize_t count = ::read(m_output, chunk.data(), chunk.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            // The end of the output: a last line without its newline still counts.
            if (m_pending.empty()) return false;
            m_lines.push_back(std::move(m_pending));
            m_pending.clear();
            return true;
        }
        m_pending.append(chunk.data(), static_cast<std::size_t>(count));
    }
}

bool ProgramRun::waitForLine(std::string_view text) {
    if (countLinesContaining(text) > 0) return true;
    while (readLine()) {
        if (m_lines.back().find(text) != std::string::npos) return true;
    }
    return false;
}

void ProgramRun::sendSignal(int signal) const {
    if (m_pid > 0) ::kill(m_pid, signal);
}

int ProgramRun::finish() {
    while (readLine()) {
    }
    int status = 0;
    if (m_pid <= 0) return status;
    // A child that went quiet without ending is hung: end it rather than wait forever.
    if (m_timedOut) ::kill(m_pid, SIGKILL);
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return status;
}

std::size_t ProgramRun::countLinesContaining(std::string_view text) const {
    return static_cast<std::size_t>(
        std::count_if(m_lines.begin(), m_lines.end(),
                      [&](const auto& line) { return line.find(text) != std::string::npos; }));
}

}  // namespace hosttest
