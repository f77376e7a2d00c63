#pragma once

namespace platform {

// Listens for SDL reporting a playback device gone (unplugged headphones, a
// sound server that dropped a sink) and has the output checked on the main run
// loop at once: the device list is read there, and a chosen device that is no
// longer listed makes the output fall back to the system default, with one log
// line (see audioOutputDevices). Nothing polls: SDL calls the watch from its
// own thread when the loss happens.
//
// SDL forgets its event watches whenever its event subsystem ends, which it
// does with the audio; call this after every opening of the output. A repeated
// call keeps a single watch.
void watchForLostOutputDevices();

}  // namespace platform
