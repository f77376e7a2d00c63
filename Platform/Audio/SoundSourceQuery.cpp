#include "SoundSourceQuery.h"

#include "PulseExchange.h"
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
    Listing listing;
    const bool answered = pulse::exchangeWithServer(
        timeout,
        [&](pa_context* context) {
            return pulse::OperationPtr(
                       pa_context_get_source_info_list(context, &onSource, &listing)) != nullptr;
        },
        [&](pa_context*) { return listing.finished; });
    if (!answered || listing.failed) return std::nullopt;
    return listing.sources;
}

}  // namespace platform
