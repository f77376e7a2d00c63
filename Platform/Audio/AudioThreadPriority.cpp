#include "AudioThreadPriority.h"

#include <SDL.h>

#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <cstring>

namespace platform {
namespace {

std::atomic<bool> g_raised{false};

}  // namespace

void AudioThreadPriority::raiseCallingThreadOnce() {
    thread_local bool tried = false;
    if (tried) return;
    tried = true;
    // Only SDL's PulseAudio driver mixes on a thread that nothing else raises
    // and that alone paces the stream; SDL's PipeWire driver hands its mix to
    // PipeWire's own real-time thread, and the dummy driver plays to no one.
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver == nullptr || std::strcmp(driver, "pulseaudio") != 0) return;
    sched_param parameters{};
    int policy = SCHED_OTHER;
    // A thread that already runs real-time (rtkit granted SDL's request)
    // keeps its place.
    if (pthread_getschedparam(pthread_self(), &policy, &parameters) == 0 && policy != SCHED_OTHER &&
        policy != SCHED_BATCH && policy != SCHED_IDLE) {
        g_raised.store(true);
        return;
    }
    parameters = {};
    parameters.sched_priority = kPriority;
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &parameters) == 0) {
        g_raised.store(true);
    }
}

bool AudioThreadPriority::raised() {
    return g_raised.load();
}

}  // namespace platform
