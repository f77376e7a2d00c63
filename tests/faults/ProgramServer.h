#pragma once

#include "FaultHarness.h"

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sbfault {

// A program started once under the shim and stopped before its own
// initialisation; the shim in it forks one child per request, which runs the
// program from the top with that request's fault (see the shim). Stopped, and
// reaped, on destruction.
class ProgramServer {
  public:
    ProgramServer(const std::vector<std::string>& arguments, std::vector<std::string> environment);
    ~ProgramServer();
    ProgramServer(const ProgramServer&) = delete;
    ProgramServer& operator=(const ProgramServer&) = delete;

    // Starts one run: the child's output goes to the two files, its calls to
    // `record` unless that is empty. Its outcome comes from finish().
    bool start(const std::optional<Fault>& fault, const std::filesystem::path& record,
               const std::filesystem::path& output, const std::filesystem::path& errors,
               bool leakCheck);
    // The wait status of the run started last, or none when the server is gone.
    std::optional<int> finish();

  private:
    pid_t m_pid = -1;
    int m_requests = -1;
    int m_replies = -1;
};

}  // namespace sbfault
