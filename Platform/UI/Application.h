#pragma once

#include "ApplicationDelegate.h"
#include "CommandTable.h"
#include "Object.h"
#include "Platform/Foundation/URL.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class HostServices;
class NavigationController;
class ViewController;
class Window;

// The shared application object: its delegate, its key window, opening URLs
// outside the application, and the delivery of lifecycle events.
class Application : public Object {
  public:
    static Application& sharedApplication();
    // Drops the delegate, window, opener and termination state. For tests.
    static void resetSharedApplication();

    // The delegate is held (shared ownership) for the application's life.
    void setDelegate(std::shared_ptr<ApplicationDelegate> delegate);
    ApplicationDelegate* delegate() const { return m_delegate.get(); }
    const std::shared_ptr<ApplicationDelegate>& delegatePointer() const { return m_delegate; }

    // The key window (Window keeps it; see Window::makeKeyAndVisible).
    Window* keyWindow() const;
    std::shared_ptr<Window> keyWindowPointer() const;
    void setKeyWindow(const std::shared_ptr<Window>& window);

    // Hands `url` to the desktop's handler and reports whether it was handed over.
    // The default opener spawns `xdg-open URL` with an argument vector (never a
    // shell) and answers whether the handler started; the handler runs on its
    // own and is reaped when it ends. A URL whose text is empty or starts with
    // "-" (which the handler would read as an option) is refused. Tests and the
    // window host replace the opener.
    using URLOpener = std::function<bool(const URL&)>;
    bool openURL(const URL& url);
    // How many URLs openURL was asked to open in this process, handed over or not.
    // The window host compares it around a click to tell one that left for another program.
    std::uint64_t openURLRequestCount() const { return m_openURLRequests; }
    // How many of those were not handed over; each such one is logged once, as
    // it happens. The window host compares it around a click to tell the user.
    std::uint64_t openURLFailureCount() const { return m_openURLFailures; }
    void setURLOpener(URLOpener opener) { m_opener = std::move(opener); }
    static bool openWithXdgOpen(const URL& url);

    // The host calls contentShown() whenever the pages are on show: after each
    // frame it draws, and headless once the run loop runs. The handler (one,
    // set by the program) hears it; it must be cheap.
    void setContentShownHandler(std::function<void()> handler) {
        m_contentShown = std::move(handler);
    }
    // The host's hook after every command performed by name (from any caller),
    // so a command that came from outside the window is drawn at once.
    void setCommandPerformedHandler(std::function<void()> handler) {
        m_commandPerformed = std::move(handler);
    }
    void contentShown() {
        if (m_contentShown) m_contentShown();
    }

    // Lifecycle events, as the host (or signals, headless) delivers them.
    void didBecomeActive();
    void willResignActive();
    void didEnterBackground();
    void willEnterForeground();
    // Tells the delegate, then every page of the key window's navigation stacks.
    void didReceiveMemoryWarning();
    // Tells the delegate (once) and ends the main run loop with `status`.
    void terminate(int status = 0);
    bool isTerminating() const { return m_terminating; }
    // The status of the first terminate call.
    int terminationStatus() const { return m_terminationStatus; }

    // The objects the main window layout made (window, navigation stacks, the
    // delegate), kept for the application's life like a nib's top-level objects.
    void retainTopLevelObjects(std::vector<std::shared_ptr<Object>> objects);
    const std::vector<std::shared_ptr<Object>>& topLevelObjects() const {
        return m_topLevelObjects;
    }

    // Named commands. A command travels the chain: the page on top of the key
    // window's outermost navigation stack, that stack, the application's own
    // commands (commandTable), then the delegate; the first link that answers
    // the name decides (see CommandResponder). The window's menus and keys,
    // and every other trigger of the program, go this one way.
    // Whether the command ran; false when nobody answers it or it is disabled now.
    bool sendCommand(std::string_view name, std::string_view argument = {});
    // The state of `name` where it is answered; disabled when nobody answers it.
    CommandState commandState(std::string_view name);
    CommandTable& commandTable() { return m_commands; }
    // The page on top of the key window's outermost navigation stack, or null.
    std::shared_ptr<ViewController> topPage() const;

    // The window host's services (dialogs, zoom, background work) while a
    // window shows the application, else HeadlessServices. Set (and cleared
    // with null) by the window host.
    void setHostServices(HostServices* services) { m_hostServices = services; }
    HostServices& hostServices();

    // The program the default opener spawns: $SOUNDBOARD_URL_HANDLER when set
    // and not empty (for tests and unusual desktops), else "xdg-open".
    static std::string urlHandlerProgram();

  private:
    // The links of the command chain, first to last, with what keeps them
    // alive while a command runs (it may pop its own page).
    struct Chain {
        std::vector<std::shared_ptr<void>> held;
        std::vector<CommandResponder*> links;
    };
    Chain chain();
    // The link that answers `name`, with its state; null (and disabled) when none does.
    static CommandResponder* answering(std::string_view name, const Chain& chain,
                                       CommandState& state);

    std::shared_ptr<ApplicationDelegate> m_delegate;
    CommandTable m_commands;
    HostServices* m_hostServices = nullptr;
    URLOpener m_opener;
    std::function<void()> m_contentShown;
    std::function<void()> m_commandPerformed;
    std::uint64_t m_openURLRequests = 0;
    std::uint64_t m_openURLFailures = 0;
    std::vector<std::shared_ptr<Object>> m_topLevelObjects;
    bool m_terminating = false;
    int m_terminationStatus = 0;
};

}  // namespace platform
