#pragma once

#include <QObject>

#include <string>

namespace platform {

class HostServices;

// Tells the user, once per streak of failed settings writes, that a change
// could not be written yet: the pages show it at once and the store keeps it,
// so nothing is asked, but a mark that is gone after a restart must not come as
// a surprise. A write that succeeds ends the streak. The log has a line for
// every failure (the store writes it).
//
// Lifetime: one per window, which it outlives not; it stops listening when it goes.
class SettingsWriteNotice final : public QObject {
  public:
    explicit SettingsWriteNotice(HostServices& services);
    ~SettingsWriteNotice() override;
    SettingsWriteNotice(const SettingsWriteNotice&) = delete;
    SettingsWriteNotice& operator=(const SettingsWriteNotice&) = delete;

  private:
    void written(const std::string& failure);

    HostServices& m_services;
    bool m_failing = false;
};

}  // namespace platform
