#pragma once

// Starts the remote once the application runs, when the command line asks
// for it (--remote: the address with the secret and its QR code are printed
// on standard output, for a sound box without a display) or the user left it
// on in File > Remote Control.
void startRemoteAtLaunch(int argc, char** argv);
