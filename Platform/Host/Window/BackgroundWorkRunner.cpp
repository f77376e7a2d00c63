#include "BackgroundWorkRunner.h"

#include <QTimer>
#include <QWidget>

#include <limits>

namespace platform {
namespace {

int barValue(std::size_t count) {
    return static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
}

}  // namespace

BackgroundWorkRunner::BackgroundWorkRunner(QWidget& window, HostServices& services)
    : m_window(window), m_services(services) {}

BackgroundWorkRunner::~BackgroundWorkRunner() {
    m_stop.request_stop();
    if (m_thread.joinable()) m_thread.join();
}

bool BackgroundWorkRunner::start(BackgroundWork work) {
    if (m_work || !work.run) return false;
    const std::uint64_t generation = ++m_generation;
    m_work = std::move(work);
    m_stop = std::stop_source();
    m_finished = 0;
    m_total = 0;
    m_progressQueued = false;

    m_dialog = std::make_unique<QProgressDialog>(QString::fromStdString(m_work->progressText),
                                                 QString::fromStdString(m_work->cancelText), 0, 0,
                                                 &m_window);
    // Counts, not a percentage: the bar's own texts carry no words.
    auto bar = std::make_unique<QProgressBar>();
    bar->setFormat(QStringLiteral("%v / %m"));
    m_bar = bar.get();
    m_dialog->setBar(bar.release());  // the dialog owns its bar
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(0);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    // The stop source is the work's: a Cancel pressed before the worker starts still counts.
    connect(m_dialog.get(), &QProgressDialog::canceled, this, [this] { m_stop.request_stop(); });
    m_dialog->show();
    QTimer::singleShot(0, this, [this, generation] { launch(generation); });
    return true;
}

void BackgroundWorkRunner::launch(std::uint64_t generation) {
    if (generation != m_generation || !m_work || m_thread.joinable()) return;
    // The worker touches only the work's run function, the atomics and queued calls.
    m_thread = std::thread([this, generation, run = m_work->run, stop = m_stop.get_token()] {
        run(stop, [this](std::size_t finished, std::size_t total) {
            m_finished = finished;
            m_total = total;
            if (!m_progressQueued.exchange(true)) {
                QMetaObject::invokeMethod(this, &BackgroundWorkRunner::showProgress,
                                          Qt::QueuedConnection);
            }
        });
        QMetaObject::invokeMethod(
            this, [this, generation] { end(generation); }, Qt::QueuedConnection);
    });
}

void BackgroundWorkRunner::showProgress() {
    m_progressQueued = false;
    if (m_bar == nullptr) return;
    // On the bar itself: a modal QProgressDialog's setValue runs the event loop,
    // which could end the work (and delete the dialog) from inside this call.
    m_bar->setMaximum(barValue(m_total));
    m_bar->setValue(barValue(m_finished));
}

void BackgroundWorkRunner::waitForWork() {
    if (!m_work) return;
    launch(m_generation);
    end(m_generation);
}

void BackgroundWorkRunner::end(std::uint64_t generation) {
    if (generation != m_generation || !m_work) return;
    if (m_thread.joinable()) m_thread.join();
    m_bar = nullptr;
    m_dialog.reset();
    BackgroundWork work = std::move(*m_work);
    m_work.reset();
    // The work may start other work from here.
    if (work.finished) work.finished(m_services);
}

}  // namespace platform
