#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The system log: one line on stderr, "YYYY-MM-DD HH:MM:SS.mmm name[pid] message".
// The message is written as it stands; it is never interpreted as a format.
// Safe to call from any thread; each line goes out in a single write.
void Log(std::string_view message);
// Log, once per process for a given message: for refusals that every look at
// the same file would repeat.
void LogOnce(std::string_view message);

// The full line Log would write for `message`, without the trailing newline.
std::string formatLogLine(std::string_view message);

// Records the messages (without the prefix) logged while it is alive, for tests
// and for the window host. Lines still go to stderr. Captures nest.
class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> messages() const;
    bool contains(std::string_view message) const;
    std::size_t count(std::string_view message) const;

  private:
    std::size_t m_id;
};

}  // namespace platform
