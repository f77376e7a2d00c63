#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts a program that runs on its own, outside the application's process group,
// with stdin from /dev/null. The child is reaped by a small thread that waits for
// it, so it never lingers as a zombie and the caller never blocks.
namespace DetachedProcess {
// arguments[0] is the program, looked up in PATH; each argument reaches it
// as one argument, never through a shell. True when the program started.
bool spawn(const std::vector<std::string>& arguments);
}  // namespace DetachedProcess

}  // namespace platform
