#pragma once

#include "FileDescriptor.h"

#include <csignal>
#include <vector>

namespace platform {

// Turns signals into bytes that ordinary code reads on a thread of its choosing.
// While a pipe is alive, the signals it was made for no longer have their old
// effect: the handler only writes the signal's number to the pipe, which is
// async-signal-safe and never blocks (a full pipe already holds signals that are
// pending, so losing one changes nothing). The owner reads the numbers with
// drain(): from an event loop watching readDescriptor(), or from a thread that
// sleeps in waitForSignals().
//
// A signal belongs to one pipe at a time: a pipe whose signals are taken is not
// active and changes nothing. The old dispositions come back with stopWaiting()
// or destruction.
class SignalPipe {
  public:
    explicit SignalPipe(std::vector<int> signalNumbers);
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // False when the handlers could not be installed (a signal belongs to another
    // pipe, or no pipe was available); the signals then keep their old effect.
    bool isActive() const { return m_active; }
    // Readable while signals are pending; -1 when not active. Borrowed.
    int readDescriptor() const { return m_readEnd.get(); }

    // The signals delivered since the last drain, oldest first; never blocks.
    std::vector<int> drain();
    // Sleeps until a signal is pending (true) or stopWaiting() has run and every
    // pending signal was drained (false). From any one thread.
    bool waitForSignals();
    // Gives the signals their old dispositions back and wakes waitForSignals()
    // for good; a watcher thread can then be joined. Later signals have their
    // old effect.
    void stopWaiting();

  private:
    std::vector<int> m_signals;
    std::vector<struct sigaction> m_previous;
    FileDescriptor m_readEnd;
    FileDescriptor m_writeEnd;
    bool m_active = false;
};

}  // namespace platform
