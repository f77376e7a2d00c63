#pragma once

#include <string>
#include <vector>

namespace platform {

// The names a browser may use for this computer in its Host header: every
// address of its network interfaces (IPv6 ones in brackets), the loopback,
// "localhost", the host name and its ".local" form. Read anew at each call,
// since a laptop's addresses change as it moves between networks.
std::vector<std::string> localHostNames();

// The address to show the user for reaching this computer from another
// device: the first non-loopback IPv4 address, else the loopback.
std::string preferredLocalAddress();

}  // namespace platform
