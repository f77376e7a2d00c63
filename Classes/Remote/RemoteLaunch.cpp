#include "Classes/Remote/RemoteLaunch.h"

#include "Classes/Remote/RemoteControl.h"
#include "Classes/Remote/RemoteQrCode.h"
#include "Platform/Foundation/CommandLine.h"
#include "Platform/Foundation/RunLoop.h"

#include <cstdio>
#include <string>

void startRemoteAtLaunch(int argc, char** argv) {
    const bool asked = platform::CommandLine::parse(argc, argv).has("--remote");
    if (!asked && !RemoteControl::rememberedOn()) return;
    platform::RunLoop::main().post([asked] {
        RemoteControl& remote = RemoteControl::shared();
        if (!remote.start()) {
            if (asked) std::fputs("Remote control could not start.\n", stderr);
            return;
        }
        if (!asked) return;
        // Printed, never logged: the address holds the secret.
        const std::string address = remote.pairingAddress();
        const std::string text = "Remote control on port " + std::to_string(remote.port()) +
                                 ". Open on a phone (or scan):\n" + address + "\n" +
                                 RemoteQrCode(address).terminalText();
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
    });
}
