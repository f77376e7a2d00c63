#include "RemoteQrCode.h"

#include <qrencode.h>

#include <memory>

namespace {

struct CodeDeleter {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

constexpr int kQuietZone = 2;

}  // namespace

RemoteQrCode::RemoteQrCode(const std::string& text) {
    std::unique_ptr<QRcode, CodeDeleter> code(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1));
    if (!code || code->width <= 0) return;
    m_size = code->width;
    const auto count = static_cast<std::size_t>(m_size) * static_cast<std::size_t>(m_size);
    m_modules.resize(count);
    for (std::size_t index = 0; index < count; ++index)
        m_modules[index] = (code->data[index] & 1) != 0;
}

bool RemoteQrCode::dark(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_size || y >= m_size) return false;
    return m_modules[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_size) +
                     static_cast<std::size_t>(x)];
}

std::string RemoteQrCode::terminalText() const {
    if (m_size == 0) return {};
    // Dark modules are blocks in reverse video: on the usual terminal (light
    // text on a dark ground) they come out dark and the rest light, as
    // phone cameras expect.
    std::string text;
    for (int y = -kQuietZone; y < m_size + kQuietZone; y += 2) {
        text += "\x1b[7m";
        for (int x = -kQuietZone; x < m_size + kQuietZone; ++x) {
            const bool top = dark(x, y);
            const bool bottom = dark(x, y + 1);
            if (top && bottom) {
                text += "\u2588";
            } else if (top) {
                text += "\u2580";
            } else if (bottom) {
                text += "\u2584";
            } else {
                text += " ";
            }
        }
        text += "\x1b[0m\n";
    }
    return text;
}
