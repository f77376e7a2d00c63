#include "Classes/Bus/RemoteCommandLine.h"

#include "Classes/CommandLine/TerminalText.h"
#include "Platform/DBus/BusClient.h"
#include "Platform/Foundation/CommandLine.h"

#include <cstdio>
#include <string>

using platform::BusClient;

namespace {

int report(const BusClient::Answer& answer, const std::string& what) {
    if (answer.result == BusClient::Result::Accepted) return 0;
    std::string line = "soundboard: ";
    if (answer.result == BusClient::Result::NotRunning) {
        line += "no Soundboard is running to " + what;
        if (!answer.errorName.empty() || answer.text.empty()) {
            line += " (start it first)";
        } else {
            line += ": " + answer.text;
        }
    } else {
        line += answer.text;
    }
    // The text holds what the caller typed: printed escaped, one line stays one line.
    std::fputs((TerminalText::escaped(line) + "\n").c_str(), stderr);
    return 1;
}

}  // namespace

std::optional<int> runRemoteCommandLine(int argc, char** argv) {
    const auto line = platform::CommandLine::parse(argc, argv);
    if (!line.mistake.empty()) return std::nullopt;
    if (const auto* play = line.find("--play"); play != nullptr && !play->values.empty()) {
        const std::string& label = play->values.front();
        return report(BusClient::call("Play", label), "play \"" + label + "\"");
    }
    if (line.has("--stop-all")) {
        return report(BusClient::call("StopAll", std::nullopt), "stop its sounds");
    }
    return std::nullopt;
}
