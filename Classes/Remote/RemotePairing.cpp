#include "Classes/Remote/RemotePairing.h"

#include "Classes/Remote/RemoteSecret.h"
#include "Platform/Foundation/DurableFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

// A few dozen sessions fit many times over; a bigger file is not ours.
constexpr std::uintmax_t kFileLimit = 64 * 1024;
constexpr std::size_t kSessionLimit = 64;
constexpr std::size_t kTextLimit = 200;

bool isHex(const std::string& text, std::size_t bytes) {
    return text.size() == 2 * bytes && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::string textOf(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) return {};
    return found->get<std::string>().substr(0, kTextLimit);
}

}  // namespace

std::optional<RemotePairing> RemotePairing::load(const fs::path& file) {
    std::error_code error;
    const auto size = fs::file_size(file, error);
    if (error || size > kFileLimit) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    const nlohmann::json document = nlohmann::json::parse(bytes, nullptr, false);
    if (!document.is_object()) return std::nullopt;
    RemotePairing pairing;
    pairing.secret = textOf(document, "secret");
    if (!isHex(pairing.secret, remote_secret::kSecretBytes)) return std::nullopt;
    const auto sessions = document.find("sessions");
    if (sessions != document.end() && sessions->is_array()) {
        for (const nlohmann::json& entry : *sessions) {
            if (!entry.is_object() || pairing.sessions.size() >= kSessionLimit) continue;
            RemoteSession session{textOf(entry, "token"),
                                  {textOf(entry, "address"), textOf(entry, "userAgent")}};
            if (isHex(session.token, remote_secret::kSessionBytes)) {
                pairing.sessions.push_back(std::move(session));
            }
        }
    }
    // Whatever made it readable by others (a copy, a chmod), it is not left so.
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, error);
    return pairing;
}

bool RemotePairing::save(const fs::path& file) const {
    nlohmann::json sessionList = nlohmann::json::array();
    for (const RemoteSession& session : sessions) {
        sessionList.push_back({{"token", session.token},
                               {"address", session.browser.address},
                               {"userAgent", session.browser.userAgent}});
    }
    const nlohmann::json document = {{"secret", secret}, {"sessions", std::move(sessionList)}};
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    return platform::writeFileDurably(
        file, document.dump(1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n",
        fs::perms::owner_read | fs::perms::owner_write);
}
