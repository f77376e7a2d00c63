#include "Window.h"

namespace platform {
namespace {

// Main thread only, like the rest of the view model.
std::weak_ptr<Window>& keyWindowSlot() {
    static std::weak_ptr<Window> key;
    return key;
}

}  // namespace

void Window::makeKeyAndVisible() {
    if (auto self = std::static_pointer_cast<Window>(weak_from_this().lock())) setKeyWindow(self);
    m_visible = true;
}

bool Window::isKeyWindow() const {
    return keyWindow().get() == this;
}

std::shared_ptr<Window> Window::keyWindow() {
    return keyWindowSlot().lock();
}

void Window::setKeyWindow(const std::shared_ptr<Window>& window) {
    keyWindowSlot() = window;
}

}  // namespace platform
