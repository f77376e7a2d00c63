#include "WindowHost.h"

namespace platform {

// Until the Qt window lands, the application runs headless.
void installWindowHost() {}

}  // namespace platform
