#pragma once

#include <cstddef>

// A one-line progress bar with counts on a terminal: "[#####     ] 12/40".
// Does nothing when the stream is not a terminal, so logs and pipes stay clean.
class TerminalProgress {
  public:
    explicit TerminalProgress(int fd);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool enabled() const { return m_enabled; }
    void update(std::size_t finished, std::size_t total);
    // Ends the bar's line; called by the destructor too.
    void finish();

    static constexpr std::size_t kBarWidth = 30;

  private:
    int m_fd;
    bool m_enabled;
    bool m_drawn = false;
};
