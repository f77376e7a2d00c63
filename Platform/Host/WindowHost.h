#pragma once

namespace platform {

// Makes UIApplicationMain show the application in a desktop window (unless
// --headless is given). Call once, before UIApplicationMain.
void installWindowHost();

}  // namespace platform
