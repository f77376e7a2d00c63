#include "RunLoopBridge.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/UI/Application.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cmath>
#include <limits>
#include <mutex>

namespace platform {

struct RunLoopBridge::WakeTarget {
    std::mutex mutex;
    RunLoopBridge* bridge = nullptr;  // cleared by the bridge's destructor
    // Coalesces wake-ups: one queued call serves everything posted before it runs.
    std::atomic<bool> queued{false};
};

RunLoopBridge::RunLoopBridge(Application& application, QObject* parent)
    : QObject(parent), m_application(application), m_wakeTarget(std::make_shared<WakeTarget>()) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &RunLoopBridge::serviceNow);
    m_wakeTarget->bridge = this;
    RunLoop::main().setWakeUpHandler([target = m_wakeTarget] {
        std::lock_guard lock(target->mutex);
        if (target->bridge == nullptr || target->queued.exchange(true)) return;
        QMetaObject::invokeMethod(target->bridge, &RunLoopBridge::serviceNow, Qt::QueuedConnection);
    });
    // Work queued before the bridge existed (a delayed call made at launch).
    scheduleService();
}

RunLoopBridge::~RunLoopBridge() {
    RunLoop::main().setWakeUpHandler(nullptr);
    std::lock_guard lock(m_wakeTarget->mutex);
    m_wakeTarget->bridge = nullptr;
}

void RunLoopBridge::scheduleService() {
    if (m_wakeTarget->queued.exchange(true)) return;
    QMetaObject::invokeMethod(this, &RunLoopBridge::serviceNow, Qt::QueuedConnection);
}

void RunLoopBridge::serviceNow() {
    // Cleared first: work posted while serving queues a fresh call.
    m_wakeTarget->queued = false;
    RunLoop::main().serviceDueWork();
    rearm();
    emit serviced();
    quitIfTerminating();
}

void RunLoopBridge::rearm() {
    auto interval = intervalToNextDueTime();
    if (interval) {
        m_timer.start(*interval);
    } else {
        m_timer.stop();
    }
}

std::optional<int> RunLoopBridge::armedInterval() const {
    if (!m_timer.isActive()) return std::nullopt;
    return m_timer.interval();
}

std::optional<int> RunLoopBridge::intervalToNextDueTime() const {
    auto& loop = RunLoop::main();
    // A manual clock's timers fire from ManualClock::advance, never by waiting.
    if (loop.clock().isManual()) return std::nullopt;
    auto due = loop.nextDueTime();
    if (!due) return std::nullopt;
    const double milliseconds = std::ceil((*due - loop.now()) * 1000.0);
    if (!(milliseconds > 0)) return 0;
    // QTimer takes an int; a far-off timer is simply re-armed when this one ends.
    return static_cast<int>(std::min(milliseconds, double(std::numeric_limits<int>::max() / 2)));
}

void RunLoopBridge::quitIfTerminating() {
    if (m_application.isTerminating()) QCoreApplication::exit(m_application.terminationStatus());
}

}  // namespace platform
