#include "ProgramServer.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string_view>

namespace sbfault {
namespace {

// Where the server finds its two pipes (see the shim).
constexpr int kServerRequests = 200;
constexpr int kServerReplies = 201;

}  // namespace

ProgramServer::ProgramServer(const std::vector<std::string>& arguments,
                             std::vector<std::string> environment) {
    int requests[2] = {-1, -1};
    int replies[2] = {-1, -1};
    if (::pipe2(requests, O_CLOEXEC) != 0) return;
    if (::pipe2(replies, O_CLOEXEC) != 0) {
        ::close(requests[0]);
        ::close(requests[1]);
        return;
    }
    m_requests = requests[1];
    m_replies = replies[0];
    environment.push_back("SB_FAULT_SERVER=" + std::to_string(kServerRequests) + "," +
                          std::to_string(kServerReplies));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, requests[0], kServerRequests);
    posix_spawn_file_actions_adddup2(&actions, replies[1], kServerReplies);
    std::vector<std::string> argumentCopy = arguments;
    std::vector<char*> argv;
    for (auto& argument : argumentCopy) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        m_pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(requests[0]);
    ::close(replies[1]);
}

ProgramServer::~ProgramServer() {
    if (m_requests >= 0) ::close(m_requests);  // the end of requests stops it
    if (m_pid > 0) {
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (m_replies >= 0) ::close(m_replies);
}

bool ProgramServer::start(const std::optional<Fault>& fault, const std::filesystem::path& record,
                          const std::filesystem::path& output, const std::filesystem::path& errors,
                          bool leakCheck) {
    if (m_pid <= 0) return false;
    std::string request =
        fault ? fault->operation + "\t" + std::to_string(fault->call) + "\t" + fault->error
              : std::string("-\t0\t-");
    request += "\t" + (record.empty() ? std::string("-") : record.string());
    request += "\t" + output.string() + "\t" + errors.string();
    request += leakCheck ? "\t1\n" : "\t0\n";
    std::string_view rest(request);
    while (!rest.empty()) {
        ssize_t written = ::write(m_requests, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::optional<int> ProgramServer::finish() {
    std::string line;
    while (true) {
        char byte = 0;
        ssize_t count = ::read(m_replies, &byte, 1);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return std::nullopt;
        if (byte == '\n') break;
        line += byte;
    }
    try {
        return std::stoi(line);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace sbfault
