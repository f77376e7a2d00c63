#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace platform {

class Application;

// While alive, SIGUSR1 delivers a memory warning to the application instead of
// ending the process. The signal handler only writes to a SignalPipe
// (async-signal-safe); Qt's loop watches the pipe and makes the call on the
// main thread. Only one instance is active at a time; the previous signal
// disposition comes back when it goes.
class MemoryWarningSignal : public QObject {
    Q_OBJECT

  public:
    explicit MemoryWarningSignal(Application& application, QObject* parent = nullptr);
    ~MemoryWarningSignal() override;

    // False when the handler could not be installed (another instance is active,
    // or no pipe was available); SIGUSR1 then keeps its old effect.
    bool isActive() const;

  signals:
    // After each delivered warning.
    void delivered();

  private:
    struct State;
    void drain();

    Application& m_application;
    std::unique_ptr<State> m_state;
};

}  // namespace platform
