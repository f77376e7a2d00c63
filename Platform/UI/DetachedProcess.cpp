#include "DetachedProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

namespace platform {
namespace {

// posix_spawn's attribute and file-action objects, destroyed with their owner.
class SpawnAttributes {
  public:
    SpawnAttributes() : m_ready(posix_spawnattr_init(&m_attributes) == 0) {}
    ~SpawnAttributes() {
        if (m_ready) posix_spawnattr_destroy(&m_attributes);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    bool ready() const { return m_ready; }
    posix_spawnattr_t* get() { return &m_attributes; }

  private:
    posix_spawnattr_t m_attributes{};
    bool m_ready;
};

class SpawnFileActions {
  public:
    SpawnFileActions() : m_ready(posix_spawn_file_actions_init(&m_actions) == 0) {}
    ~SpawnFileActions() {
        if (m_ready) posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    bool ready() const { return m_ready; }
    posix_spawn_file_actions_t* get() { return &m_actions; }

  private:
    posix_spawn_file_actions_t m_actions{};
    bool m_ready;
};

// The child gets default signal dispositions and an empty mask whatever this
// process has installed, and its own process group, so a Ctrl-C meant for the
// application does not reach the program it handed a URL to.
bool prepare(SpawnAttributes& attributes, SpawnFileActions& actions) {
    if (!attributes.ready() || !actions.ready()) return false;
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD}) sigaddset(&defaults, signal);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP;
    return posix_spawnattr_setflags(attributes.get(), flags) == 0 &&
           posix_spawnattr_setsigmask(attributes.get(), &none) == 0 &&
           posix_spawnattr_setsigdefault(attributes.get(), &defaults) == 0 &&
           posix_spawnattr_setpgroup(attributes.get(), 0) == 0 &&
           posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY,
                                            0) == 0;
}

void reapLater(pid_t child) {
    try {
        std::thread([child] {
            int status = 0;
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the child is left for the process's own end to reap.
    }
}

}  // namespace

bool DetachedProcess::spawn(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments.front().empty()) return false;
    std::vector<std::string> copies = arguments;  // posix_spawn wants mutable strings
    std::vector<char*> argv;
    for (auto& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);

    SpawnAttributes attributes;
    SpawnFileActions actions;
    if (!prepare(attributes, actions)) return false;
    pid_t child = 0;
    if (posix_spawnp(&child, argv.front(), actions.get(), attributes.get(), argv.data(), environ) !=
        0) {
        return false;
    }
    reapLater(child);
    return true;
}

}  // namespace platform
