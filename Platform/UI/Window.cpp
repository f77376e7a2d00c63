#include "Window.h"

#include "Application.h"

namespace platform {

void Window::makeKeyAndVisible() {
    // The application holds its key window weakly; a window not owned by a
    // shared pointer can be shown but never becomes key.
    if (auto self = std::static_pointer_cast<Window>(weak_from_this().lock())) {
        Application::sharedApplication().setKeyWindow(self);
    }
    m_visible = true;
}

bool Window::isKeyWindow() const {
    return Application::sharedApplication().keyWindow() == this;
}

}  // namespace platform
