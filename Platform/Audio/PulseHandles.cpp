#include "PulseHandles.h"

namespace platform::pulse {

ContextPtr makeContext(pa_mainloop_api* api) {
    ProplistPtr properties(pa_proplist_new());
    if (!properties) return {};
    pa_proplist_sets(properties.get(), PA_PROP_APPLICATION_NAME, "Soundboard");
    pa_proplist_sets(properties.get(), PA_PROP_APPLICATION_ID, "org.soundboard.Soundboard");
    pa_proplist_sets(properties.get(), PA_PROP_APPLICATION_ICON_NAME, "org.soundboard.Soundboard");
    return ContextPtr(pa_context_new_with_proplist(api, "Soundboard", properties.get()));
}

}  // namespace platform::pulse
