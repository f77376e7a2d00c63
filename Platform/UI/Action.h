#pragma once

#include <functional>
#include <memory>

namespace platform {

// Target-action: a member function and a non-owning target. Calling it after the
// target is gone does nothing, so a control never keeps its page alive (no cycle
// page -> view -> control -> page).
class Action {
  public:
    Action() = default;

    template <class T>
    Action(const std::shared_ptr<T>& target, void (T::*method)())
        : m_invoke([weak = std::weak_ptr<T>(target), method] {
              if (auto strong = weak.lock()) ((*strong).*method)();
          }) {}

    // True when an action was set (the target may still have gone).
    explicit operator bool() const { return static_cast<bool>(m_invoke); }
    void operator()() const {
        if (m_invoke) m_invoke();
    }

  private:
    std::function<void()> m_invoke;
};

}  // namespace platform
