#pragma once

namespace platform {

// Where the window stands on the desktop, in the desktop's logical pixels: what
// the window host reports when it closes and what the preferences keep for the
// next start, one type on both sides so nothing is copied field by field.
struct WindowFrame {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowFrame&) const = default;
};

}  // namespace platform
