#include "ViewController.h"

#include "LayoutLoader.h"
#include "Platform/Foundation/Bundle.h"
#include "Window.h"

namespace platform {

ViewController::ViewController() = default;

// A page leaves its stack only by being popped, which clears the link, or when
// the stack itself goes, which clears it too; nothing to undo here.
ViewController::~ViewController() = default;

const std::shared_ptr<View>& ViewController::view() {
    if (!m_viewLoaded) {
        if (!m_view) loadView();
        if (!m_view) m_view = std::make_shared<View>(kDefaultViewFrame);
        // Set before the callback, so a view() call inside viewDidLoad does not load again.
        m_viewLoaded = true;
        viewDidLoad();
    }
    return m_view;
}

void ViewController::loadView() {
    if (m_layoutInfo)
        takeLayout(LayoutLoader::loadPageLayout(m_nibName, m_bundle, *this, *m_layoutInfo));
}

void ViewController::takeLayout(LayoutLoader::Page page) {
    m_view = std::move(page.view);
    m_defaultAction = std::move(page.defaultAction);
    m_defaultControl = page.defaultControl;
}

std::optional<std::string> ViewController::performDefaultAction() {
    if (!m_defaultAction) return std::nullopt;
    // Held: the action may release this page's view, or the page itself.
    auto keepPage = weak_from_this().lock();
    auto control = m_defaultControl.lock();
    const View* ancestor = control.get();
    while (ancestor != nullptr && ancestor != m_view.get()) ancestor = ancestor->superview();
    if (control && m_view && ancestor == m_view.get()) {
        // Pressed as a tap on it would: a disabled button does nothing.
        std::string name = control->accessibilityName();
        const Rect frame = control->frame();
        control->tapAt({frame.width / 2, frame.height / 2});
        return name;
    }
    const Action action = m_defaultAction;
    action();
    return std::string();
}

std::optional<CommandState> ViewController::commandState(std::string_view name) const {
    if (name == commands::kDefaultAction && m_defaultAction) return CommandState{m_viewLoaded};
    return std::nullopt;
}

bool ViewController::performCommand(std::string_view name, std::string_view /*argument*/) {
    if (name != commands::kDefaultAction || !m_viewLoaded) return false;
    return performDefaultAction().has_value();
}

void ViewController::setView(std::shared_ptr<View> view) {
    m_view = std::move(view);
    m_viewLoaded = false;
}

bool ViewController::isViewOnScreen() const {
    if (!m_viewLoaded || !m_view) return false;
    auto window = Window::keyWindow();
    if (!window) return false;
    const View* root = m_view.get();
    while (root->superview() != nullptr) root = root->superview();
    return root == window.get();
}

void ViewController::didReceiveMemoryWarning() {
    if (!m_view || isViewOnScreen()) return;
    bool wasLoaded = m_viewLoaded;
    // Keep the tree alive until it has left its superview and the flags are clear.
    auto released = std::move(m_view);
    m_view = nullptr;
    m_viewLoaded = false;
    released->removeFromSuperview();
    released = nullptr;
    if (wasLoaded) viewDidUnload();
}

void ViewController::setTitle(std::string title) {
    m_navigationItem.setTitle(title);
    m_title = std::move(title);
}

bool ViewController::loadLayout(std::string_view nibName, const std::shared_ptr<Bundle>& bundle,
                                const LayoutClassInfo& info) {
    auto page = LayoutLoader::loadPageLayout(nibName, bundle, *this, info);
    if (!page.view) return false;
    m_nibName = std::string(nibName);
    m_bundle = bundle;
    m_layoutInfo = &info;
    takeLayout(std::move(page));
    m_viewLoaded = false;
    return true;
}

}  // namespace platform
