#include "TerminalProgress.h"

#include <unistd.h>

#include <string>

TerminalProgress::TerminalProgress(int fd) : m_fd(fd), m_enabled(::isatty(fd) == 1) {}

TerminalProgress::~TerminalProgress() {
    finish();
}

void TerminalProgress::update(std::size_t finished, std::size_t total) {
    if (!m_enabled || total == 0) return;
    const std::size_t filled = finished >= total ? kBarWidth : finished * kBarWidth / total;
    std::string line = "\r[" + std::string(filled, '#') + std::string(kBarWidth - filled, ' ') +
                       "] " + std::to_string(finished) + "/" + std::to_string(total);
    // A short write to a terminal only spoils the picture; there is nothing to recover.
    [[maybe_unused]] const auto written = ::write(m_fd, line.data(), line.size());
    m_drawn = true;
}

void TerminalProgress::finish() {
    if (!m_drawn) return;
    m_drawn = false;
    [[maybe_unused]] const auto written = ::write(m_fd, "\n", 1);
}
