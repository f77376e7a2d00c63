#include "RemoteSecret.h"

#include <openssl/crypto.h>
#include <sys/random.h>

#include <cerrno>
#include <vector>

namespace remote_secret {

std::string randomHex(std::size_t bytes) {
    std::vector<unsigned char> raw(bytes);
    std::size_t filled = 0;
    while (filled < bytes) {
        const ssize_t got = getrandom(raw.data() + filled, bytes - filled, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            return {};
        }
        filled += static_cast<std::size_t>(got);
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes * 2);
    for (const unsigned char byte : raw) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0f]);
    }
    return text;
}

bool matches(std::string_view given, std::string_view expected) {
    if (expected.empty() || given.size() != expected.size()) return false;
    return CRYPTO_memcmp(given.data(), expected.data(), expected.size()) == 0;
}

}  // namespace remote_secret
