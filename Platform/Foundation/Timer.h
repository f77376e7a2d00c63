#pragma once

#include <cstdint>
#include <functional>

namespace platform {

class RunLoop;

// A one-shot timer. The run loop holds it until it fires or is invalidated;
// after either, its action (and everything the action captured) is released.
class Timer {
  public:
    Timer(double fireDate, std::uint64_t sequence, std::function<void()> action)
        : m_fireDate(fireDate), m_sequence(sequence), m_action(std::move(action)) {}

    double fireDate() const { return m_fireDate; }
    bool isValid() const { return static_cast<bool>(m_action); }
    // Cancels the timer and releases its action at once. Safe from inside the action.
    void invalidate() { m_action = nullptr; }

  private:
    friend class RunLoop;
    double m_fireDate;
    std::uint64_t m_sequence;  // ties on fireDate fire in scheduling order
    std::function<void()> m_action;
};

}  // namespace platform
