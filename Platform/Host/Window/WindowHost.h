#pragma once

namespace platform {

// Makes UIApplicationMain show the application in a desktop window (unless
// --headless is given). Call once, before UIApplicationMain.
void installWindowHost();

// The same, and checks at once, before anything is launched, that a window can
// open for this command line. False, after printing one line saying how to run
// anyway, when no display is found (and neither --headless nor --screenshot is
// given); the program should then exit with status 1.
bool installWindowHost(int argc, char** argv);

}  // namespace platform
