#include "Application.h"

#include "DetachedProcess.h"
#include "HeadlessServices.h"
#include "NavigationController.h"
#include "NavigationSites.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/RunLoop.h"
#include "Window.h"

#include <cstdlib>

namespace platform {

Application& Application::sharedApplication() {
    static Application application;
    return application;
}

void Application::resetSharedApplication() {
    auto& application = sharedApplication();
    // Take everything out first: destructors that run below may ask the
    // application for its state, which must already read as reset. The
    // delegate goes before the other top-level objects (declared later, destroyed first).
    auto objects = std::move(application.m_topLevelObjects);
    auto delegate = std::move(application.m_delegate);
    application.m_topLevelObjects.clear();
    application.m_delegate = nullptr;
    Window::setKeyWindow(nullptr);
    application.m_opener = nullptr;
    application.m_hostServices = nullptr;
    application.m_terminating = false;
    application.m_terminationStatus = 0;
}

void Application::setDelegate(std::shared_ptr<ApplicationDelegate> delegate) {
    m_delegate = std::move(delegate);
}

Window* Application::keyWindow() const {
    return Window::keyWindow().get();
}

std::shared_ptr<Window> Application::keyWindowPointer() const {
    return Window::keyWindow();
}

void Application::setKeyWindow(const std::shared_ptr<Window>& window) {
    Window::setKeyWindow(window);
}

std::shared_ptr<ViewController> Application::topPage() const {
    const auto root = keyWindowPointer();
    if (!root) return nullptr;
    const NavigationSites sites(*root);
    const NavigationSite* site = sites.outermost();
    if (site == nullptr || site->controller->viewControllers().empty()) return nullptr;
    return site->controller->viewControllers().back();
}

Application::Chain Application::chain() {
    Chain chain;
    if (auto top = topPage()) {
        if (NavigationController* stack = top->navigationController()) {
            chain.links.push_back(top.get());
            chain.links.push_back(stack);
            chain.held.push_back(stack->shared_from_this());
        } else {
            chain.links.push_back(top.get());
        }
        chain.held.push_back(std::move(top));
    }
    chain.links.push_back(&m_commands);
    if (m_delegate) {
        chain.links.push_back(m_delegate.get());
        chain.held.push_back(m_delegate);
    }
    return chain;
}

CommandResponder* Application::answering(std::string_view name, const Chain& chain,
                                         CommandState& state) {
    for (CommandResponder* link : chain.links) {
        if (auto answer = link->commandState(name)) {
            state = *answer;
            return link;
        }
    }
    state = CommandState{false};
    return nullptr;
}

bool Application::sendCommand(std::string_view name, std::string_view argument) {
    const Chain links = chain();
    CommandState state;
    CommandResponder* link = answering(name, links, state);
    if (link == nullptr || !state.enabled) return false;
    const bool ran = link->performCommand(name, argument);
    if (ran) {
        // The page that was on top hears of it, and the host draws what changed.
        if (!links.links.empty() && links.links.front() != &m_commands &&
            links.links.front() != static_cast<CommandResponder*>(m_delegate.get())) {
            links.links.front()->commandPerformed(name, argument);
        }
        if (m_commandPerformed) m_commandPerformed();
    }
    return ran;
}

HostServices& Application::hostServices() {
    static HeadlessServices headless;
    return m_hostServices != nullptr ? *m_hostServices : headless;
}

CommandState Application::commandState(std::string_view name) {
    CommandState state;
    answering(name, chain(), state);
    return state;
}

bool Application::openURL(const URL& url) {
    ++m_openURLRequests;
    // A copy, so an opener that replaces itself while running stays alive.
    auto opener = m_opener;
    const bool handed = opener ? opener(url) : openWithXdgOpen(url);
    if (!handed) {
        ++m_openURLFailures;
        // The address comes from a page anyone may have written: one line, quoted.
        std::string shown;
        for (const char c : url.absoluteString().substr(0, 200)) {
            shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
        }
        Log("Could not open \"" + shown +
            "\": no program to open links is set up (install xdg-utils and a web browser, or "
            "name one in SOUNDBOARD_URL_HANDLER)");
    }
    return handed;
}

std::string Application::urlHandlerProgram() {
    const char* program = std::getenv("SOUNDBOARD_URL_HANDLER");
    return program != nullptr && *program != '\0' ? std::string(program) : std::string("xdg-open");
}

bool Application::openWithXdgOpen(const URL& url) {
    const std::string& text = url.absoluteString();
    if (text.empty() || text.front() == '-') return false;
    return DetachedProcess::spawn({urlHandlerProgram(), text});
}

// Each delivery holds the delegate, so a callback that replaces it finishes safely.
void Application::didBecomeActive() {
    if (auto delegate = m_delegate) delegate->applicationDidBecomeActive(*this);
}

void Application::willResignActive() {
    if (auto delegate = m_delegate) delegate->applicationWillResignActive(*this);
}

void Application::didEnterBackground() {
    if (auto delegate = m_delegate) delegate->applicationDidEnterBackground(*this);
}

void Application::willEnterForeground() {
    if (auto delegate = m_delegate) delegate->applicationWillEnterForeground(*this);
}

void Application::didReceiveMemoryWarning() {
    if (auto delegate = m_delegate) delegate->applicationDidReceiveMemoryWarning(*this);
    // Outermost stacks only: a stack pushed onto another hears it from that one.
    for (const auto& navigation : NavigationController::liveNavigationControllers()) {
        if (navigation->navigationController() == nullptr && navigation->isViewOnScreen()) {
            navigation->didReceiveMemoryWarning();
        }
    }
}

void Application::terminate(int status) {
    if (!m_terminating) {
        m_terminating = true;
        m_terminationStatus = status;
        if (auto delegate = m_delegate) delegate->applicationWillTerminate(*this);
    }
    RunLoop::main().stop(m_terminationStatus);
}

void Application::retainTopLevelObjects(std::vector<std::shared_ptr<Object>> objects) {
    m_topLevelObjects = std::move(objects);
}

}  // namespace platform
