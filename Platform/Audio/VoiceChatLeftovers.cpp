#include "VoiceChatLeftovers.h"

#include "Platform/Foundation/Log.h"
#include "PulseExchange.h"
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
    // What another computer's copy made may still be in use there.
    if (!owner || !voice_chat_owner::madeHere(info->argument)) return;
    if (voice_chat_owner::isOtherLiveCopy(*owner)) return;
    const bool remap = std::string(info->name).find("remap") != std::string::npos;
    sweep.stale.emplace_back(!remap, info->index);
}

void onUnloaded(pa_context*, int, void* data) {
    --static_cast<Sweep*>(data)->unloading;
}

}  // namespace

std::size_t removeVoiceChatLeftoversNow(std::chrono::milliseconds timeout) {
    Sweep sweep;
    bool unloaded = false;
    pulse::exchangeWithServer(
        timeout,
        [&](pa_context* context) {
            return pulse::OperationPtr(
                       pa_context_get_module_info_list(context, &onModule, &sweep)) != nullptr;
        },
        [&](pa_context* context) {
            if (!sweep.listed) return false;
            if (sweep.failed) return true;
            if (!unloaded) {
                unloaded = true;
                std::stable_sort(sweep.stale.begin(), sweep.stale.end());
                for (const auto& [sinkLike, index] : sweep.stale) {
                    pulse::OperationPtr unload(
                        pa_context_unload_module(context, index, &onUnloaded, &sweep));
                    if (unload) ++sweep.unloading;
                }
            }
            return sweep.unloading == 0;
        });
    const std::size_t removed = unloaded ? sweep.stale.size() : 0;
    if (removed > 0) {
        Log("Voice chat: removed " + std::to_string(removed) +
            " module(s) a copy that is no longer running left on the sound server");
    }
    return removed;
}

}  // namespace platform
