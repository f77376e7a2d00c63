#pragma once

#include <cstddef>
#include <map>
#include <string>

// Slows down guessing: after `kFreeFailures` wrong secrets from one address,
// that address must wait before its next try, twice as long after each new
// failure (up to a minute). A success forgets the address. At most
// `kAddressLimit` addresses are remembered; past that the oldest entry goes,
// so a flood of addresses cannot grow memory.
class FailureThrottle {
  public:
    static constexpr int kFreeFailures = 5;
    static constexpr double kLongestWait = 60.0;
    static constexpr std::size_t kAddressLimit = 1024;

    // Whether `address` may try now (times in seconds on any steady clock).
    bool allows(const std::string& address, double now) const;
    void failed(const std::string& address, double now);
    void succeeded(const std::string& address);

  private:
    struct Record {
        int failures = 0;
        double lastFailure = 0.0;
        double nextTry = 0.0;
    };
    std::map<std::string, Record> m_records;
};
