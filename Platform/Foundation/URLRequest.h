#pragma once

#include "URL.h"

namespace platform {

// A request for a URL with the default cache policy and time-out. Value type.
class URLRequest {
  public:
    static constexpr int kDefaultCachePolicy = 0;
    static constexpr double kDefaultTimeoutInterval = 60.0;

    explicit URLRequest(URL url) : m_url(std::move(url)) {}
    static URLRequest requestWithURL(URL url) { return URLRequest(std::move(url)); }

    const platform::URL& url() const { return m_url; }
    int cachePolicy() const { return kDefaultCachePolicy; }
    double timeoutInterval() const { return kDefaultTimeoutInterval; }

    bool operator==(const URLRequest& other) const { return m_url == other.m_url; }

  private:
    platform::URL m_url;
};

}  // namespace platform
