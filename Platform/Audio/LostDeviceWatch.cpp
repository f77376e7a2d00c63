#include "LostDeviceWatch.h"

#include "Platform/Foundation/RunLoop.h"
#include "SystemSoundService.h"

#include <SDL.h>

namespace platform {
namespace {

// Device events nobody reads would only pile up in SDL's queue.
void dropDeviceEvents() {
    SDL_FlushEvents(SDL_AUDIODEVICEADDED, SDL_AUDIODEVICEREMOVED);
}

// Runs on whichever thread SDL noticed the loss on: it only hands the work to
// the main loop, where the output's owner serialises it.
int onSDLEvent(void*, SDL_Event* event) {
    // Since SDL 2.24 a device that was not opened is reported too, with
    // `which` 0: that is the server watch's business, not a lost stream.
    if (event != nullptr && event->type == SDL_AUDIODEVICEREMOVED &&
        event->adevice.iscapture == 0 && event->adevice.which != 0) {
        RunLoop::main().post([] {
            dropDeviceEvents();
            if (SystemSoundService* service = SystemSoundService::shared()) service->outputLost();
        });
    }
    return 1;
}

}  // namespace

void watchForLostOutputDevices() {
    SDL_DelEventWatch(&onSDLEvent, nullptr);
    SDL_AddEventWatch(&onSDLEvent, nullptr);
    dropDeviceEvents();
}

}  // namespace platform
