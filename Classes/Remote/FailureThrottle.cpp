#include "FailureThrottle.h"

#include <algorithm>
#include <cmath>

bool FailureThrottle::allows(const std::string& address, double now) const {
    const auto found = m_records.find(address);
    return found == m_records.end() || now >= found->second.nextTry;
}

void FailureThrottle::failed(const std::string& address, double now) {
    if (m_records.size() >= kAddressLimit && m_records.find(address) == m_records.end()) {
        const auto oldest =
            std::min_element(m_records.begin(), m_records.end(), [](const auto& a, const auto& b) {
                return a.second.lastFailure < b.second.lastFailure;
            });
        m_records.erase(oldest);
    }
    Record& record = m_records[address];
    record.failures = std::min(record.failures + 1, 1000);
    record.lastFailure = now;
    if (record.failures >= kFreeFailures) {
        const double wait =
            std::min(kLongestWait, std::ldexp(1.0, std::min(record.failures - kFreeFailures, 10)));
        record.nextTry = now + wait;
    }
}

void FailureThrottle::succeeded(const std::string& address) {
    m_records.erase(address);
}
