#include "Classes/Remote/RemoteControlCommand.h"

#include "Classes/Remote/RemoteControl.h"
#include "Classes/Remote/RemoteQrCode.h"
#include "Platform/UI/HostServices.h"

using platform::HostPanel;
using platform::HostServices;

namespace {

constexpr const char* kTitle = "Remote Control";

void showRemotePanel(HostServices& services);

void switchOn(HostServices& services) {
    RemoteControl::rememberOn(true);
    if (!RemoteControl::shared().start()) {
        services.tell(kTitle, "The remote control could not start: no port to listen on.");
        return;
    }
    showRemotePanel(services);
}

void showRemotePanel(HostServices& services) {
    RemoteControl& remote = RemoteControl::shared();
    HostPanel panel;
    panel.title = kTitle;
    // The host outlives the callbacks it is given.
    HostServices* host = &services;
    if (!remote.isRunning()) {
        panel.text =
            "Play this board from a phone or tablet on the same network: Soundboard serves it "
            "as a web page while the remote control is on.\n\nThe traffic is not encrypted: "
            "use it on a network you trust.";
        panel.buttons.push_back({"Switch On", [host] { switchOn(*host); }});
        panel.buttons.push_back({"Close", nullptr});
        services.showPanel(std::move(panel));
        return;
    }
    const std::string address = remote.pairingAddress();
    panel.text = "On, at port " + std::to_string(remote.port()) +
                 ". Scan the code or open this address on the phone:\n" + address + "\n\n";
    const std::vector<PairedBrowser> browsers = remote.pairedBrowsers();
    if (browsers.empty()) {
        panel.text += "No browser is paired yet.";
    } else {
        panel.text += "Paired browsers:";
        for (const PairedBrowser& browser : browsers) {
            panel.text += "\n" + browser.address +
                          (browser.userAgent.empty() ? "" : " \u2014 " + browser.userAgent);
        }
    }
    const RemoteQrCode code(address);
    panel.codeSize = code.size();
    for (int y = 0; y < code.size(); ++y) {
        for (int x = 0; x < code.size(); ++x) panel.code.push_back(code.dark(x, y));
    }
    panel.buttons.push_back({"Forget All", [host] {
                                 RemoteControl::shared().forgetAll();
                                 showRemotePanel(*host);
                             }});
    panel.buttons.push_back({"Switch Off", [] {
                                 RemoteControl::rememberOn(false);
                                 RemoteControl::shared().stop();
                             }});
    panel.buttons.push_back({"Close", nullptr});
    services.showPanel(std::move(panel));
}

}  // namespace

platform::WindowCommand remoteControlCommand() {
    auto command = platform::WindowCommand::make("Remote Control\u2026", "", showRemotePanel);
    command.checked = [] { return RemoteControl::shared().isRunning(); };
    return command;
}
