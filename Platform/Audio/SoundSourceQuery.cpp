#include "SoundSourceQuery.h"

#include "PulseHandles.h"

#include <pulse/introspect.h>

#include <string_view>

namespace platform {
namespace {

struct Listing {
    std::vector<MicrophoneInfo> sources;
    bool finished = false;
    bool failed = false;
};

void onSource(pa_context*, const pa_source_info* info, int eol, void* data) {
    auto& listing = *static_cast<Listing*>(data);
    if (eol != 0) {
        listing.finished = true;
        listing.failed = eol < 0;
        return;
    }
    if (info == nullptr || info->name == nullptr) return;
    if (info->monitor_of_sink != PA_INVALID_INDEX) return;
    if (std::string_view(info->name) == kVoiceChatSourceName) return;
    MicrophoneInfo source;
    source.name = info->name;
    source.description =
        info->description != nullptr && *info->description != 0 ? info->description : info->name;
    listing.sources.push_back(std::move(source));
}

}  // namespace

std::optional<std::vector<MicrophoneInfo>> querySoundSources(std::chrono::milliseconds timeout) {
    pulse::MainloopPtr loop(pa_mainloop_new());
    if (!loop) return std::nullopt;
    pulse::ContextPtr context = pulse::makeContext(pa_mainloop_get_api(loop.get()));
    if (!context) return std::nullopt;
    if (pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return std::nullopt;
    }
    Listing listing;
    bool asked = false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!listing.finished) {
        const pa_context_state_t state = pa_context_get_state(context.get());
        if (!PA_CONTEXT_IS_GOOD(state)) break;
        if (state == PA_CONTEXT_READY && !asked) {
            asked = true;
            pulse::OperationPtr operation(
                pa_context_get_source_info_list(context.get(), &onSource, &listing));
            if (!operation) break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (pa_mainloop_prepare(loop.get(), static_cast<int>(left.count())) < 0 ||
            pa_mainloop_poll(loop.get()) < 0 || pa_mainloop_dispatch(loop.get()) < 0) {
            break;
        }
    }
    // The context goes before the listing: no answer arrives late.
    context.reset();
    if (!listing.finished || listing.failed) return std::nullopt;
    return listing.sources;
}

}  // namespace platform
