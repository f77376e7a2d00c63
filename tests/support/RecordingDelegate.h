#pragma once

#include "Platform/UI/Application.h"
#include "Platform/UI/ApplicationDelegate.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sbtest {

// An application delegate that writes down the lifecycle events it is told, by
// short names ("active", "resign", "background", "foreground", "terminate").
// Given the delegate it stands in for, it passes every call on to it, so a
// launched application goes on as before while its events are recorded.
class RecordingDelegate : public platform::ApplicationDelegate {
  public:
    explicit RecordingDelegate(std::shared_ptr<platform::ApplicationDelegate> next = nullptr)
        : m_next(std::move(next)) {}

    std::vector<std::string> events;

    void applicationWillResignActive(platform::Application& application) override {
        record("resign");
        if (m_next) m_next->applicationWillResignActive(application);
    }
    void applicationDidEnterBackground(platform::Application& application) override {
        record("background");
        if (m_next) m_next->applicationDidEnterBackground(application);
    }
    void applicationWillEnterForeground(platform::Application& application) override {
        record("foreground");
        if (m_next) m_next->applicationWillEnterForeground(application);
    }
    void applicationDidBecomeActive(platform::Application& application) override {
        record("active");
        if (m_next) m_next->applicationDidBecomeActive(application);
    }
    void applicationWillTerminate(platform::Application& application) override {
        record("terminate");
        if (m_next) m_next->applicationWillTerminate(application);
    }
    void applicationDidReceiveMemoryWarning(platform::Application& application) override {
        if (m_next) m_next->applicationDidReceiveMemoryWarning(application);
    }
    std::optional<platform::CommandState> commandState(std::string_view name) const override {
        return m_next ? m_next->commandState(name) : std::nullopt;
    }
    bool performCommand(std::string_view name, std::string_view argument) override {
        return m_next && m_next->performCommand(name, argument);
    }
    void commandPerformed(std::string_view name, std::string_view argument) override {
        if (m_next) m_next->commandPerformed(name, argument);
    }

  private:
    void record(std::string event) { events.push_back(std::move(event)); }

    std::shared_ptr<platform::ApplicationDelegate> m_next;
};

}  // namespace sbtest
