#pragma once

#include "Platform/UI/WindowCommands.h"

// File > Remote Control…: switches the remote on or off (remembered for the
// next start) and, while it is on, shows the address with the secret, its QR
// code, the paired browsers and Forget All.
platform::WindowCommand remoteControlCommand();
