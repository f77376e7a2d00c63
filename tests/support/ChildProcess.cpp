#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

extern char** environ;

namespace sbtest {
namespace {

constexpr int kQuietLimitMs = 60'000;

std::vector<std::string> childEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
    for (const std::string& change : changes) {
        const std::string name = change.substr(0, change.find('='));
        std::erase_if(environment, [&](const std::string& entry) {
            return entry.compare(0, name.size() + 1, name + "=") == 0;
        });
        if (change.find('=') != std::string::npos) environment.push_back(change);
    }
    return environment;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& text : strings) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ChildProcess::ChildProcess(std::vector<std::string> arguments)
    : ChildProcess(std::move(arguments), Options{}) {}

ChildProcess::ChildProcess(std::vector<std::string> arguments, Options options) {
    if (arguments.empty()) return;
    std::array<int, 2> ends{-1, -1};
    if (::pipe2(ends.data(), O_CLOEXEC) != 0) return;
    m_output = ends[0];

    std::vector<std::string> environment = childEnvironment(options.environmentChanges);
    const std::vector<char*> argv = pointersTo(arguments);
    const std::vector<char*> envp = pointersTo(environment);
    const std::string errorFile = options.errorFile.string();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    switch (options.errors) {
        case Errors::Inherit:
            break;
        case Errors::WithOutput:
            posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
            break;
        case Errors::ToFile:
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0600);
            break;
        case Errors::Discard:
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
            break;
    }
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        m_pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0) {
        kill();
        wait();
    }
    if (m_output >= 0) ::close(m_output);
}

std::optional<std::string> ChildProcess::readLine() {
    while (true) {
        const auto newline = m_pending.find('\n');
        if (newline != std::string::npos) {
            m_lines.push_back(m_pending.substr(0, newline));
            m_pending.erase(0, newline + 1);
            return m_lines.back();
        }
        if (m_output < 0) return std::nullopt;
        pollfd watch{m_output, POLLIN, 0};
        const int ready = ::poll(&watch, 1, kQuietLimitMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            m_timedOut = true;
            return std::nullopt;
        }
        std::array<char, 4096> chunk{};
        const ssize_t count = ::read(m_output, chunk.data(), chunk.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            if (m_pending.empty()) return std::nullopt;
            m_lines.push_back(std::move(m_pending));
            m_pending.clear();
            return m_lines.back();
        }
        m_pending.append(chunk.data(), static_cast<std::size_t>(count));
    }
}

bool ChildProcess::waitForLine(std::string_view text) {
    if (countLinesContaining(text) > 0) return true;
    while (const auto line = readLine()) {
        if (line->find(text) != std::string::npos) return true;
    }
    return false;
}

void ChildProcess::sendSignal(int signal) const {
    if (m_pid > 0) ::kill(m_pid, signal);
}

void ChildProcess::kill() const {
    sendSignal(SIGKILL);
}

int ChildProcess::wait() {
    int status = 0;
    if (m_pid <= 0) return status;
    while (::wait4(m_pid, &status, 0, &m_usage) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return status;
}

int ChildProcess::finish() {
    while (readLine()) {
    }
    if (m_timedOut) kill();
    return wait();
}

std::size_t ChildProcess::countLinesContaining(std::string_view text) const {
    return static_cast<std::size_t>(
        std::count_if(m_lines.begin(), m_lines.end(),
                      [&](const auto& line) { return line.find(text) != std::string::npos; }));
}

}  // namespace sbtest
