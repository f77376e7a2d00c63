#include "VoiceChatLeftovers.h"

#include "Platform/Foundation/Log.h"
#include "PulseHandles.h"
#include "VoiceChatOwner.h"

#include <pulse/introspect.h>

#include <algorithm>
#include <string>
#include <vector>

namespace platform {
namespace {

struct Sweep {
    // Remaps first: a sink goes only once nothing remaps its monitor.
    std::vector<std::pair<bool, std::uint32_t>> stale;
    bool listed = false;
    bool failed = false;
    int unloading = 0;
};

void onModule(pa_context*, const pa_module_info* info, int eol, void* data) {
    auto& sweep = *static_cast<Sweep*>(data);
    if (eol != 0) {
        sweep.listed = true;
        sweep.failed = eol < 0;
        return;
    }
    if (info == nullptr || info->argument == nullptr || info->name == nullptr) return;
    const auto owner = voice_chat_owner::ownerIn(info->argument);
    if (!owner || voice_chat_owner::isOtherLiveCopy(*owner)) return;
    const bool remap = std::string(info->name).find("remap") != std::string::npos;
    sweep.stale.emplace_back(!remap, info->index);
}

void onUnloaded(pa_context*, int, void* data) {
    --static_cast<Sweep*>(data)->unloading;
}

}  // namespace

std::size_t removeVoiceChatLeftoversNow(std::chrono::milliseconds timeout) {
    pulse::MainloopPtr loop(pa_mainloop_new());
    if (!loop) return 0;
    pulse::ContextPtr context = pulse::makeContext(pa_mainloop_get_api(loop.get()));
    if (!context) return 0;
    if (pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return 0;
    Sweep sweep;
    bool asked = false;
    bool unloaded = false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!(unloaded && sweep.unloading == 0)) {
        const pa_context_state_t state = pa_context_get_state(context.get());
        if (!PA_CONTEXT_IS_GOOD(state)) break;
        if (state == PA_CONTEXT_READY && !asked) {
            asked = true;
            pulse::OperationPtr listing(
                pa_context_get_module_info_list(context.get(), &onModule, &sweep));
            if (!listing) break;
        }
        if (sweep.listed && !unloaded) {
            if (sweep.failed) break;
            unloaded = true;
            std::stable_sort(sweep.stale.begin(), sweep.stale.end());
            for (const auto& [sinkLike, index] : sweep.stale) {
                pulse::OperationPtr unload(
                    pa_context_unload_module(context.get(), index, &onUnloaded, &sweep));
                if (unload) ++sweep.unloading;
            }
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (pa_mainloop_prepare(loop.get(), static_cast<int>(left.count())) < 0 ||
            pa_mainloop_poll(loop.get()) < 0 || pa_mainloop_dispatch(loop.get()) < 0) {
            break;
        }
    }
    // The context goes before the sweep: no answer arrives late.
    context.reset();
    const std::size_t removed = unloaded ? sweep.stale.size() : 0;
    if (removed > 0) {
        Log("Voice chat: removed " + std::to_string(removed) +
            " module(s) a copy that is no longer running left on the sound server");
    }
    return removed;
}

}  // namespace platform
