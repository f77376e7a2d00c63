#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A browser that has paired, as File > Remote Control lists it.
struct PairedBrowser {
    std::string address;
    std::string userAgent;
};

// One paired browser's session: the cookie it was given, and who it is.
struct RemoteSession {
    std::string token;
    PairedBrowser browser;
};

// What the remote keeps across restarts of the program, so that a phone paired
// once (and its bookmark holding the secret) keeps working until Forget All:
// the pairing secret and the sessions. Both are secrets, so they live in a file
// of their own, mode 0600, beside the desktop preferences, never in them (that
// file is not private) and never in the log.
struct RemotePairing {
    std::string secret;
    std::vector<RemoteSession> sessions;

    // None when the file is missing, unreadable, too big or not what this
    // program writes (a secret too short to be one, a token of the wrong
    // form): the caller then starts over with a new secret.
    static std::optional<RemotePairing> load(const std::filesystem::path& file);
    // Writes it durably with mode 0600 (the folder is made if needed).
    bool save(const std::filesystem::path& file) const;
};
