#pragma once

#include "Platform/UI/HostServices.h"

#include <QObject>
#include <QProgressBar>
#include <QProgressDialog>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <thread>

class QWidget;

namespace platform {

// Runs one piece of background work at a time on its own thread, with a
// window-modal progress dialog (counts and a Cancel button) over `window`.
// Progress reaches the dialog through queued calls, so the worker never waits
// for the window, and the window never waits for the worker.
//
// Lifetime: the runner must go before `window`. Going away it requests a stop
// and waits for the worker; `finished` of work still running is then not called.
class BackgroundWorkRunner final : public QObject {
    Q_OBJECT

  public:
    BackgroundWorkRunner(QWidget& window, HostServices& services);
    ~BackgroundWorkRunner() override;

    // False while other work runs. The worker starts once the dialog is up.
    bool start(BackgroundWork work);
    bool isRunning() const { return m_work.has_value(); }
    // Waits for the running work (starting it first if it has not started),
    // then ends it at once: the dialog closes and `finished` runs. For tests,
    // and for a window that must not close under its work.
    void waitForWork();
    // The dialog of the running work; null when none runs.
    QProgressDialog* progressDialog() const { return m_dialog.get(); }

  private:
    void launch(std::uint64_t generation);
    void showProgress();
    void end(std::uint64_t generation);

    QWidget& m_window;
    HostServices& m_services;
    std::optional<BackgroundWork> m_work;
    std::unique_ptr<QProgressDialog> m_dialog;
    QProgressBar* m_bar = nullptr;  // owned by m_dialog
    std::stop_source m_stop;
    std::thread m_thread;
    // Each work has its own number, so a queued call for work already ended does nothing.
    std::uint64_t m_generation = 0;
    std::atomic<std::size_t> m_finished{0};
    std::atomic<std::size_t> m_total{0};
    std::atomic<bool> m_progressQueued{false};
};

}  // namespace platform
