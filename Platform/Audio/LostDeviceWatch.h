#pragma once

namespace platform {

// Listens for SDL reporting the output's stream lost (a sound server that
// ended, a device that went away without the server moving the stream) and has
// the output opened again on the main run loop at once, wherever the server
// plays now (silently when there is none). Nothing polls: SDL calls the watch
// from its own thread when the loss happens.
//
// SDL forgets its event watches whenever its event subsystem ends, which it
// does with the audio; call this after every opening of the output. A repeated
// call keeps a single watch.
void watchForLostOutputDevices();

}  // namespace platform
