#pragma once

namespace platform {

// The mixer's thread is the one thread a late wake-up of which is heard (as
// a gap). SDL asks for real-time scheduling through rtkit, which a desktop
// may lack; where the process may take it by itself (as root, or with a
// real-time limit, RLIMIT_RTPRIO, that a desktop's audio group grants), the
// thread takes SCHED_FIFO itself, below the sound server's own threads.
class AudioThreadPriority {
  public:
    // The priority asked for: under PulseAudio's and PipeWire's (5 and up),
    // so the server that drains the stream still comes first.
    static constexpr int kPriority = 3;

    // Raises the calling thread, once per thread, when it mixes for SDL's
    // PulseAudio driver; later calls cost a test of a thread-local flag. Safe
    // on the audio thread (no lock, no allocation).
    static void raiseCallingThreadOnce();
    // Whether any audio thread of this process runs real-time now.
    static bool raised();
};

}  // namespace platform
