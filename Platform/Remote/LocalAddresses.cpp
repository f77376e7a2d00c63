#include "LocalAddresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <unistd.h>

#include <memory>

namespace platform {
namespace {

struct InterfaceListDeleter {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};

struct InterfaceAddress {
    std::string text;
    bool v6 = false;
    bool loopback = false;
};

std::vector<InterfaceAddress> interfaceAddresses() {
    std::vector<InterfaceAddress> found;
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0) return found;
    std::unique_ptr<ifaddrs, InterfaceListDeleter> list(raw);
    for (const ifaddrs* entry = list.get(); entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr) continue;
        char text[INET6_ADDRSTRLEN] = {};
        if (entry->ifa_addr->sa_family == AF_INET) {
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
            if (inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text) == nullptr) continue;
            const bool loopback = (ntohl(v4->sin_addr.s_addr) >> 24) == 127;
            found.push_back({text, false, loopback});
        } else if (entry->ifa_addr->sa_family == AF_INET6) {
            const auto* v6 = reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr);
            if (inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text) == nullptr) continue;
            found.push_back({text, true, IN6_IS_ADDR_LOOPBACK(&v6->sin6_addr) != 0});
        }
    }
    return found;
}

}  // namespace

std::vector<std::string> localHostNames() {
    std::vector<std::string> names{"localhost", "127.0.0.1", "[::1]"};
    for (const InterfaceAddress& address : interfaceAddresses()) {
        names.push_back(address.v6 ? "[" + address.text + "]" : address.text);
    }
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0 && host[0] != '\0') {
        names.emplace_back(host);
        names.push_back(std::string(host) + ".local");
    }
    return names;
}

std::string preferredLocalAddress() {
    for (const InterfaceAddress& address : interfaceAddresses()) {
        if (!address.v6 && !address.loopback) return address.text;
    }
    return "127.0.0.1";
}

}  // namespace platform
