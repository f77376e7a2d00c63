#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

// A small window of information the application describes and the host
// shows: a title, lines of text the user can select and copy, an optional
// square picture of dark and light modules (a QR code), and buttons. Each
// button runs its action on the main thread, then the panel closes.
struct HostPanel {
    struct Button {
        std::string title;
        std::function<void()> action;
    };
    std::string title;
    std::string text;
    int codeSize = 0;
    std::vector<bool> code;  // codeSize * codeSize modules, row by row; true: dark
    std::vector<Button> buttons;
};

}  // namespace platform
