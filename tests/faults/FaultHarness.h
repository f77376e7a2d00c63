#pragma once

// Runs programs under the fault-injection shim: first without a fault, to
// record every file operation they make on a folder, then once for every call
// of every operation with every error in turn, judging what each run left
// behind with the scenario's own check. Reusable for any program that writes
// files: a scenario is a set of programs, a way to prepare their folder, and
// an invariant check.

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sbfault {

// One call the shim saw, in the order it saw them.
struct Call {
    int pid = 0;
    std::string operation;   // open, read, write, fsync, rename, flock, mkdir, close
    int ordinal = 0;         // 1 for the process's first call of this operation
    int fd = -1;             // the descriptor used, or the one open returned
    int flags = 0;           // open's flags, flock's operation
    std::string path;        // the path, or the path the descriptor was opened on
    std::string secondPath;  // rename's new name
    long result = 0;
    int error = 0;
    bool injected = false;
};

class ProgramServer;

struct Fault {
    std::string operation;
    int call = 0;
    std::string error;  // an errno name, or SHORT for a short write
};

// What one program printed and how it ended.
struct ProgramRun {
    std::vector<std::string> lines;
    std::string errors;  // its standard error, for messages
    int status = 0;      // the wait status
};

// The outcome of one run as the scenario judges it.
struct Verdict {
    bool lostData = false;              // data that was on disk or acknowledged is gone
    bool reportedFalseSuccess = false;  // an operation said it succeeded and it did not
    std::vector<std::string> problems;  // every broken invariant, described
};

struct Scenario {
    std::string name;
    // Fills the empty folder `scope` with what is there before the programs run.
    std::function<void(const std::filesystem::path& scope)> prepare;
    // The programs, run at the same time, each as an argument vector.
    std::function<std::vector<std::vector<std::string>>(const std::filesystem::path& scope)>
        programs;
    // Judges the folder after the programs have ended.
    std::function<Verdict(const std::filesystem::path& scope, const std::vector<ProgramRun>&)>
        check;
    // A folder under the scope: when set, only calls on paths under it are
    // counted and faulted (the programs' other files, such as inputs, are not).
    std::filesystem::path faultScope;
    // The errors tried at each call; every one of errors() when empty. The short
    // write is tried at every write whatever this holds.
    std::vector<std::string> errors;
    // Extra environment for the programs, NAME=value.
    std::function<std::vector<std::string>(const std::filesystem::path& scope)> environment;
};

struct Figures {
    int operations = 0;  // operations that were called at all
    int calls = 0;       // calls faulted, summed over the operations
    int errors = 0;      // errors tried per call (the short write for write only)
    int runs = 0;
    int lostData = 0;
    int reportedAsSuccess = 0;
    std::vector<std::string> problems;  // "<fault>: <problem>" for every broken invariant

    Figures& operator+=(const Figures& other);
};

class FaultHarness {
  public:
    // Each of a scenario's programs is started once, stopped before its own
    // initialisation, and forked for every run (see the shim), so a sweep costs
    // runs, not program starts. `lanes` runs go at once, each in its own folder.
    // `shim`: the preloaded library; `work`: a folder for the runs, owned by the
    // harness and removed with it.
    FaultHarness(std::filesystem::path shim, std::filesystem::path work, int lanes = 4);
    ~FaultHarness();
    FaultHarness(const FaultHarness&) = delete;
    FaultHarness& operator=(const FaultHarness&) = delete;

    // Runs the scenario once without a fault; every call the shim saw.
    std::vector<Call> record(const Scenario& scenario);
    // Runs the scenario once per call of each operation it makes and each error.
    Figures sweep(const Scenario& scenario);
    // One run, with or without a fault; the calls are recorded when asked.
    std::vector<ProgramRun> run(const Scenario& scenario, const std::optional<Fault>& fault,
                                std::vector<Call>* calls = nullptr);
    // The folder the scenario's files live in during run() and record().
    std::filesystem::path scope() const;

    static const std::vector<std::string>& operations();
    static const std::vector<std::string>& errors();
    // Whether runs with this error end with the leak check. The check costs more
    // than the run; the other errors take the same failure path as EIO through
    // the code under test (nothing there tells them apart), so checking EIO,
    // EINTR (the retry path) and the short write covers every path.
    static bool leakChecked(const std::string& error);

  private:
    struct Lane {
        std::filesystem::path work;
        std::vector<std::unique_ptr<ProgramServer>> servers;
        std::vector<bool> started;
        std::filesystem::path record;
    };

    std::vector<std::string> environmentFor(const Scenario& scenario, const Lane& lane) const;
    void startServers(Lane& lane, const Scenario& scenario);
    // Prepares the lane's folder and starts one run on its programs.
    void begin(Lane& lane, const Scenario& scenario, const std::optional<Fault>& fault, bool record,
               bool leakCheck);
    // Waits for the run begun on the lane.
    std::vector<ProgramRun> finish(Lane& lane, std::vector<Call>* calls);

    std::filesystem::path m_shim;
    std::filesystem::path m_work;
    std::string m_preload;
    std::vector<std::unique_ptr<Lane>> m_lanes;
};

// Invariant helpers for checks.
// Hidden temporaries a durable write of `target` would leave: ".<name>.*".
std::vector<std::filesystem::path> leftoverTemporaries(const std::filesystem::path& target);
// Files kept aside as damaged beside `target`: "<name>.corrupt-*".
std::vector<std::filesystem::path> keptAside(const std::filesystem::path& target);
// The whole file, or none when it cannot be read.
std::optional<std::string> readWhole(const std::filesystem::path& path);
// Lines of `run` that start with `prefix` followed by a space, without the prefix.
std::vector<std::string> linesStartingWith(const ProgramRun& run, const std::string& prefix);

}  // namespace sbfault
