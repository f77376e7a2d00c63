#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Secrets of the remote: the pairing secret and the session cookies.
namespace remote_secret {

// `bytes` bytes from the system's generator (getrandom), as lower-case hex.
// Empty when the generator fails, which callers treat as "cannot pair".
std::string randomHex(std::size_t bytes);
// Whether `given` equals `expected`, in time that does not depend on where
// they differ (the length may show). An empty `expected` matches nothing.
bool matches(std::string_view given, std::string_view expected);

// 128 bits at least, as the pairing needs; the same for sessions.
inline constexpr std::size_t kSecretBytes = 16;
inline constexpr std::size_t kSessionBytes = 32;

}  // namespace remote_secret
