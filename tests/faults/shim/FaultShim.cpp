// A preloaded library that makes one chosen call of a file operation fail, and
// records every call it sees, for the fault-injection tests. Configured by the
// environment at the first call:
//
//   SB_FAULT_SCOPE   folder: only paths under it, and descriptors opened on
//                    them, are counted, recorded and faulted
//   SB_FAULT_OP      open | read | write | fsync | rename | flock | mkdir | close
//   SB_FAULT_CALL    which call of that operation fails, counting from 1
//   SB_FAULT_ERROR   EIO | ENOSPC | EMFILE | EACCES | EDQUOT | EINTR, or SHORT
//                    (a write that writes half of what it was given)
//   SB_FAULT_RECORD  file to which one line per counted call is appended
//
// A faulted call is not performed, except close, which releases the descriptor
// and then reports the error, as Linux does.
//
// Starting a program costs far more than running it (loading its libraries,
// setting up the sanitizer), so the shim can also serve runs from one start:
// with SB_FAULT_SERVER=<request fd>,<reply fd> the process stops before the
// program's own initialisation and waits for requests, one a line:
//
//   <op or ->\t<call>\t<error or ->\t<record file or ->\t<stdout>\t<stderr>\t<leak check 1|0>
//
// For each it forks a child that takes that fault and output files and runs the
// program from the top, then answers with the child's wait status, one a line.
// It ends at the end of the requests. A child without the leak check leaves
// through _exit once main has returned, skipping the sanitizer's exit-time
// leak check, which costs more than the run itself.
//
// Built without sanitizers and without the C++ runtime: it runs inside programs
// that may be built with AddressSanitizer, whose runtime comes first in
// LD_PRELOAD; each call goes from that runtime's interceptor to here, and from
// here through dlsym(RTLD_NEXT) to the C library.

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

enum Operation { Open, Read, Write, Fsync, Rename, Flock, Mkdir, Close, OperationCount };
constexpr const char* kOperationNames[OperationCount] = {"open",   "read",  "write", "fsync",
                                                         "rename", "flock", "mkdir", "close"};

constexpr int kShortWrite = -1;
constexpr int kMaxTracked = 4096;
constexpr int kMaxPath = 512;

struct Configuration {
    char scope[kMaxPath] = {};
    std::size_t scopeLength = 0;
    int operation = -1;
    int call = 0;
    int error = 0;  // an errno, or kShortWrite
    int recordFd = -1;
};

Configuration configuration;
std::atomic<int> configured{0};  // 0 not yet, 1 in progress, 2 done
std::atomic<int> counters[OperationCount];
// Descriptors opened on a path in scope, with that path.
std::atomic<bool> tracked[kMaxTracked];
char trackedPaths[kMaxTracked][kMaxPath];

template <class Function>
Function real(std::atomic<Function>& slot, const char* name) {
    Function function = slot.load(std::memory_order_acquire);
    if (function == nullptr) {
        function = reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
        slot.store(function, std::memory_order_release);
    }
    return function;
}

using OpenFunction = int (*)(const char*, int, ...);
using OpenAtFunction = int (*)(int, const char*, int, ...);
using ReadFunction = ssize_t (*)(int, void*, size_t);
using WriteFunction = ssize_t (*)(int, const void*, size_t);
using FdFunction = int (*)(int);
using RenameFunction = int (*)(const char*, const char*);
using RenameAtFunction = int (*)(int, const char*, int, const char*);
using RenameAt2Function = int (*)(int, const char*, int, const char*, unsigned);
using FlockFunction = int (*)(int, int);
using MkdirFunction = int (*)(const char*, mode_t);
using MkdirAtFunction = int (*)(int, const char*, mode_t);

std::atomic<OpenFunction> realOpen, realOpen64;
std::atomic<OpenAtFunction> realOpenAt, realOpenAt64;
std::atomic<ReadFunction> realRead;
std::atomic<WriteFunction> realWrite;
std::atomic<FdFunction> realFsync, realFdatasync, realClose;
std::atomic<RenameFunction> realRename;
std::atomic<RenameAtFunction> realRenameAt;
std::atomic<RenameAt2Function> realRenameAt2;
std::atomic<FlockFunction> realFlock;
std::atomic<MkdirFunction> realMkdir;
std::atomic<MkdirAtFunction> realMkdirAt;

int parseError(const char* name) {
    struct Named {
        const char* name;
        int value;
    };
    static constexpr Named kErrors[] = {
        {"EIO", EIO},       {"ENOSPC", ENOSPC}, {"EMFILE", EMFILE},    {"EACCES", EACCES},
        {"EDQUOT", EDQUOT}, {"EINTR", EINTR},   {"SHORT", kShortWrite}};
    for (const auto& error : kErrors) {
        if (std::strcmp(name, error.name) == 0) return error.value;
    }
    return 0;
}

void setFault(const char* operation, const char* call, const char* error, const char* record) {
    configuration.operation = -1;
    for (int index = 0; operation != nullptr && index < OperationCount; ++index) {
        if (std::strcmp(operation, kOperationNames[index]) == 0) configuration.operation = index;
    }
    configuration.call = call != nullptr ? static_cast<int>(std::strtol(call, nullptr, 10)) : 0;
    configuration.error = error != nullptr ? parseError(error) : 0;
    if (record != nullptr && std::strcmp(record, "-") != 0) {
        configuration.recordFd =
            real(realOpen, "open")(record, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    }
}

void configure() {
    int expected = 0;
    if (!configured.compare_exchange_strong(expected, 1)) {
        while (configured.load() != 2) {
        }
        return;
    }
    int savedErrno = errno;
    if (const char* scope = std::getenv("SB_FAULT_SCOPE")) {
        std::size_t length = std::strlen(scope);
        if (length > 0 && length < kMaxPath) {
            std::memcpy(configuration.scope, scope, length);
            configuration.scopeLength = length;
        }
    }
    if (const char* operation = std::getenv("SB_FAULT_OP")) {
        for (int index = 0; index < OperationCount; ++index) {
            if (std::strcmp(operation, kOperationNames[index]) == 0)
                configuration.operation = index;
        }
    }
    if (const char* call = std::getenv("SB_FAULT_CALL")) {
        configuration.call = static_cast<int>(std::strtol(call, nullptr, 10));
    }
    if (const char* error = std::getenv("SB_FAULT_ERROR")) configuration.error = parseError(error);
    if (const char* record = std::getenv("SB_FAULT_RECORD")) {
        configuration.recordFd =
            real(realOpen, "open")(record, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    }
    errno = savedErrno;
    configured.store(2);
}

bool inScope(const char* path) {
    if (configured.load(std::memory_order_acquire) != 2) configure();
    if (path == nullptr || configuration.scopeLength == 0) return false;
    if (std::strncmp(path, configuration.scope, configuration.scopeLength) != 0) return false;
    char next = path[configuration.scopeLength];
    return next == '\0' || next == '/';
}

bool isTracked(int fd) {
    if (configured.load(std::memory_order_acquire) != 2) configure();
    return fd >= 0 && fd < kMaxTracked && tracked[fd].load();
}

void track(int fd, const char* path) {
    if (fd < 0 || fd >= kMaxTracked) return;
    std::size_t length = std::strlen(path);
    if (length >= kMaxPath) length = kMaxPath - 1;
    std::memcpy(trackedPaths[fd], path, length);
    trackedPaths[fd][length] = '\0';
    tracked[fd].store(true);
}

const char* trackedPath(int fd) {
    return fd >= 0 && fd < kMaxTracked && tracked[fd].load() ? trackedPaths[fd] : "";
}

// The ordinal of this call of `operation`, and whether it is the one to fail.
struct Ticket {
    int ordinal;
    bool fail;
};

Ticket take(Operation operation) {
    int ordinal = counters[operation].fetch_add(1) + 1;
    bool fail = configuration.operation == operation && configuration.call == ordinal &&
                configuration.error != 0;
    return {ordinal, fail};
}

// One tab-separated line: pid, operation, ordinal, descriptor, flags, path,
// second path, result, errno, injected.
void record(Operation operation, const Ticket& ticket, int fd, int flags, const char* path,
            const char* secondPath, long result, int error) {
    if (configuration.recordFd < 0) return;
    char line[3 * kMaxPath];
    int length =
        std::snprintf(line, sizeof line, "%d\t%s\t%d\t%d\t%d\t%s\t%s\t%ld\t%d\t%d\n",
                      static_cast<int>(::getpid()), kOperationNames[operation], ticket.ordinal, fd,
                      flags, path ? path : "", secondPath ? secondPath : "", result,
                      result < 0 ? error : 0, ticket.fail ? 1 : 0);
    if (length <= 0) return;
    if (length >= static_cast<int>(sizeof line)) length = static_cast<int>(sizeof line) - 1;
    int savedErrno = errno;
    real(realWrite, "write")(configuration.recordFd, line, static_cast<size_t>(length));
    errno = savedErrno;
}

// A descriptor released by a call the shim does not see (closedir, fclose)
// is forgotten when it is handed out again for a path out of scope.
void untrack(int fd) {
    if (fd >= 0 && fd < kMaxTracked) tracked[fd].store(false);
}

template <class Perform>
int openCommon(const char* path, int flags, Perform perform) {
    if (!inScope(path)) {
        int result = perform();
        int error = errno;
        untrack(result);
        errno = error;
        return result;
    }
    Ticket ticket = take(Open);
    int result = -1;
    int error = 0;
    if (ticket.fail && configuration.error != kShortWrite) {
        error = configuration.error;
    } else {
        result = perform();
        error = errno;
        if (result >= 0) track(result, path);
    }
    record(Open, ticket, result, flags, path, nullptr, result, error);
    errno = error;
    return result;
}

mode_t modeArgument(int flags, va_list arguments) {
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        return static_cast<mode_t>(va_arg(arguments, int));
    }
    return 0;
}

int failOrPerformFd(Operation operation, int fd, int flags, FdFunction function) {
    if (!isTracked(fd)) return function(fd);
    Ticket ticket = take(operation);
    int result = -1;
    int error = 0;
    if (ticket.fail && configuration.error != kShortWrite) {
        error = configuration.error;
    } else {
        result = function(fd);
        error = errno;
    }
    record(operation, ticket, fd, flags, trackedPath(fd), nullptr, result, error);
    errno = error;
    return result;
}

template <class Perform>
int renameCommon(const char* from, const char* to, Perform perform) {
    if (!inScope(from) && !inScope(to)) return perform();
    Ticket ticket = take(Rename);
    int result = -1;
    int error = 0;
    if (ticket.fail && configuration.error != kShortWrite) {
        error = configuration.error;
    } else {
        result = perform();
        error = errno;
    }
    record(Rename, ticket, -1, 0, from, to, result, error);
    errno = error;
    return result;
}

template <class Perform>
int mkdirCommon(const char* path, Perform perform) {
    if (!inScope(path)) return perform();
    Ticket ticket = take(Mkdir);
    int result = -1;
    int error = 0;
    if (ticket.fail && configuration.error != kShortWrite) {
        error = configuration.error;
    } else {
        result = perform();
        error = errno;
    }
    record(Mkdir, ticket, -1, 0, path, nullptr, result, error);
    errno = error;
    return result;
}

// The fork server (see the top of the file).
using MainFunction = int (*)(int, char**, char**);
using StartFunction = int (*)(MainFunction, int, char**, void (*)(), void (*)(), void (*)(), void*);
std::atomic<StartFunction> realStart;

bool readLine(int fd, char* line, std::size_t capacity) {
    std::size_t length = 0;
    while (length + 1 < capacity) {
        char byte = 0;
        ssize_t count = real(realRead, "read")(fd, &byte, 1);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        if (byte == '\n') break;
        line[length++] = byte;
    }
    line[length] = '\0';
    return true;
}

// Splits `line` at tabs in place; the number of fields.
int splitFields(char* line, char** fields, int capacity) {
    int count = 0;
    char* start = line;
    while (count < capacity) {
        fields[count++] = start;
        char* tab = std::strchr(start, '\t');
        if (tab == nullptr) break;
        *tab = '\0';
        start = tab + 1;
    }
    return count;
}

void redirect(const char* path, int target) {
    int fd = real(realOpen, "open")(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    ::dup2(fd, target);
    real(realClose, "close")(fd);
}

void answer(int fd, int status) {
    char line[32];
    int length = std::snprintf(line, sizeof line, "%d\n", status);
    if (length > 0) real(realWrite, "write")(fd, line, static_cast<size_t>(length));
}

MainFunction programMain = nullptr;
bool skipExitChecks = false;

int mainThenMaybeSkipExitChecks(int argc, char** argv, char** environment) {
    int result = programMain(argc, argv, environment);
    if (skipExitChecks) {
        std::fflush(nullptr);
        ::_exit(result);
    }
    return result;
}

// Serves requests until they end; returns only in a child, configured to run.
void serve(int requests, int replies) {
    char line[4 * kMaxPath];
    while (readLine(requests, line, sizeof line)) {
        char* fields[7] = {};
        if (splitFields(line, fields, 7) != 7) {
            answer(replies, -1);
            continue;
        }
        pid_t child = ::fork();
        if (child == 0) {
            real(realClose, "close")(requests);
            real(realClose, "close")(replies);
            ::unsetenv("SB_FAULT_SERVER");
            redirect(fields[4], STDOUT_FILENO);
            redirect(fields[5], STDERR_FILENO);
            for (auto& counter : counters) counter.store(0);
            for (auto& entry : tracked) entry.store(false);
            setFault(fields[0], fields[1], fields[2], fields[3]);
            skipExitChecks = std::strcmp(fields[6], "0") == 0;
            return;
        }
        int status = 0x7f00;  // as if it exited with 127 when it could not start
        if (child > 0) {
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        }
        answer(replies, status);
    }
    ::_exit(0);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return openCommon(path, flags, [&] { return real(realOpen, "open")(path, flags, mode); });
}

__attribute__((visibility("default"))) int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return openCommon(path, flags, [&] { return real(realOpen64, "open64")(path, flags, mode); });
}

__attribute__((visibility("default"))) int openat(int directory, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return openCommon(path, flags,
                      [&] { return real(realOpenAt, "openat")(directory, path, flags, mode); });
}

__attribute__((visibility("default"))) int openat64(int directory, const char* path, int flags,
                                                    ...) {
    va_list arguments;
    va_start(arguments, flags);
    mode_t mode = modeArgument(flags, arguments);
    va_end(arguments);
    return openCommon(path, flags,
                      [&] { return real(realOpenAt64, "openat64")(directory, path, flags, mode); });
}

__attribute__((visibility("default"))) ssize_t read(int fd, void* buffer, size_t count) {
    ReadFunction function = real(realRead, "read");
    if (!isTracked(fd)) return function(fd, buffer, count);
    Ticket ticket = take(Read);
    ssize_t result = -1;
    int error = 0;
    if (ticket.fail && configuration.error != kShortWrite) {
        error = configuration.error;
    } else {
        result = function(fd, buffer, count);
        error = errno;
    }
    record(Read, ticket, fd, 0, trackedPath(fd), nullptr, result, error);
    errno = error;
    return result;
}

__attribute__((visibility("default"))) ssize_t write(int fd, const void* buffer, size_t count) {
    WriteFunction function = real(realWrite, "write");
    if (!isTracked(fd)) return function(fd, buffer, count);
    Ticket ticket = take(Write);
    ssize_t result = -1;
    int error = 0;
    if (ticket.fail && configuration.error != kShortWrite) {
        error = configuration.error;
    } else {
        // A short write writes the first half; a single byte cannot be halved.
        size_t amount = ticket.fail && count > 1 ? count / 2 : count;
        result = function(fd, buffer, amount);
        error = errno;
    }
    record(Write, ticket, fd, 0, trackedPath(fd), nullptr, result, error);
    errno = error;
    return result;
}

__attribute__((visibility("default"))) int fsync(int fd) {
    return failOrPerformFd(Fsync, fd, 0, real(realFsync, "fsync"));
}

__attribute__((visibility("default"))) int fdatasync(int fd) {
    return failOrPerformFd(Fsync, fd, 1, real(realFdatasync, "fdatasync"));
}

__attribute__((visibility("default"))) int close(int fd) {
    FdFunction function = real(realClose, "close");
    if (!isTracked(fd)) return function(fd);
    Ticket ticket = take(Close);
    char path[kMaxPath];
    std::strcpy(path, trackedPath(fd));
    tracked[fd].store(false);
    // The descriptor is released either way, as Linux does.
    int result = function(fd);
    int error = errno;
    if (ticket.fail && configuration.error != kShortWrite) {
        result = -1;
        error = configuration.error;
    }
    record(Close, ticket, fd, 0, path, nullptr, result, error);
    errno = error;
    return result;
}

__attribute__((visibility("default"))) int rename(const char* from, const char* to) {
    return renameCommon(from, to, [&] { return real(realRename, "rename")(from, to); });
}

__attribute__((visibility("default"))) int renameat(int fromDirectory, const char* from,
                                                    int toDirectory, const char* to) {
    return renameCommon(from, to, [&] {
        return real(realRenameAt, "renameat")(fromDirectory, from, toDirectory, to);
    });
}

__attribute__((visibility("default"))) int renameat2(int fromDirectory, const char* from,
                                                     int toDirectory, const char* to,
                                                     unsigned flags) {
    return renameCommon(from, to, [&] {
        return real(realRenameAt2, "renameat2")(fromDirectory, from, toDirectory, to, flags);
    });
}

__attribute__((visibility("default"))) int flock(int fd, int operation) {
    FlockFunction function = real(realFlock, "flock");
    if (!isTracked(fd)) return function(fd, operation);
    Ticket ticket = take(Flock);
    int result = -1;
    int error = 0;
    if (ticket.fail && configuration.error != kShortWrite) {
        error = configuration.error;
    } else {
        result = function(fd, operation);
        error = errno;
    }
    record(Flock, ticket, fd, operation, trackedPath(fd), nullptr, result, error);
    errno = error;
    return result;
}

__attribute__((visibility("default"))) int mkdir(const char* path, mode_t mode) {
    return mkdirCommon(path, [&] { return real(realMkdir, "mkdir")(path, mode); });
}

__attribute__((visibility("default"))) int mkdirat(int directory, const char* path, mode_t mode) {
    return mkdirCommon(path, [&] { return real(realMkdirAt, "mkdirat")(directory, path, mode); });
}

// Every shared library is loaded and initialised by now, the sanitizer runtime
// included; the program's own initialisation and main run in each child.
__attribute__((visibility("default"))) int __libc_start_main(MainFunction main, int argc,
                                                             char** argv, void (*init)(),
                                                             void (*fini)(), void (*rtldFini)(),
                                                             void* stackEnd) {
    StartFunction start = real(realStart, "__libc_start_main");
    if (const char* server = std::getenv("SB_FAULT_SERVER")) {
        if (configured.load() != 2) configure();
        char* comma = nullptr;
        long requests = std::strtol(server, &comma, 10);
        if (comma != nullptr && *comma == ',') {
            long replies = std::strtol(comma + 1, nullptr, 10);
            serve(static_cast<int>(requests), static_cast<int>(replies));
            programMain = main;
            main = mainThenMaybeSkipExitChecks;
        }
    }
    return start(main, argc, argv, init, fini, rtldFini, stackEnd);
}

}  // extern "C"
