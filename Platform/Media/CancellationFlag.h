#pragma once

#include <atomic>

namespace media {

// Asked from any thread (a Cancel button, a progress callback), read by the
// workers between blocks of audio. Once set it stays set.
class CancellationFlag {
  public:
    void requestCancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool isCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

  private:
    std::atomic<bool> m_cancelled{false};
};

}  // namespace media
