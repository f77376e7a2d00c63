#include "EventStream.h"

namespace platform {

void EventStream::push(const std::string& name, const std::string& data) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) return;
        const std::string event = "event: " + name + "\ndata: " + data + "\n\n";
        if (m_pending.size() + event.size() > kBacklogLimit) {
            m_closed = true;
        } else {
            m_pending += event;
        }
    }
    m_ready.notify_all();
}

void EventStream::close() {
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_ready.notify_all();
}

bool EventStream::isClosed() const {
    std::lock_guard lock(m_mutex);
    return m_closed;
}

std::optional<std::string> EventStream::read(std::size_t maximum, std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    m_ready.wait_for(lock, wait, [this] { return m_closed || !m_pending.empty(); });
    if (m_pending.empty()) {
        if (m_closed) return std::nullopt;
        return std::string();
    }
    const std::size_t count = std::min(maximum, m_pending.size());
    std::string out = m_pending.substr(0, count);
    m_pending.erase(0, count);
    return out;
}

}  // namespace platform
