#pragma once

#include "Classes/BoardSoundPlayer.h"
#include "Platform/UI/ApplicationDelegate.h"
#include "Platform/UI/LayoutRegistry.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Object.h"
#include "Platform/UI/Window.h"

#include <memory>

class MainPage;

// The application delegate. The main window layout makes it and connects its
// window and its navigation stack (whose root is the main page); on launch it
// puts the stack on screen. Every lifecycle event writes one fixed log line.
class PeltoAppDelegate : public platform::Object, public platform::ApplicationDelegate {
  public:
    static void describeLayout(platform::LayoutClass<PeltoAppDelegate>& layout);

    // Releases the navigation stack first, then the window.
    ~PeltoAppDelegate() override;

    void setWindow(std::shared_ptr<platform::Window> newWindow) { window = std::move(newWindow); }
    void setNavigationController(std::shared_ptr<platform::NavigationController> controller) {
        navigationController = std::move(controller);
    }

    bool applicationDidFinishLaunchingWithOptions(
        platform::Application& application,
        const platform::PlistDictionary* launchOptions) override;
    void applicationWillResignActive(platform::Application& application) override;
    void applicationDidEnterBackground(platform::Application& application) override;
    void applicationWillEnterForeground(platform::Application& application) override;
    void applicationDidBecomeActive(platform::Application& application) override;
    void applicationWillTerminate(platform::Application& application) override;
    void applicationDidReceiveMemoryWarning(platform::Application& application) override;

    // The player behind "playSound", for what shows which sounds play (the remote).
    const BoardSoundPlayer& soundPlayer() const { return m_sounds; }

    // The last link of the command chain: opening the favourites, info and
    // search pages from wherever the user is, playing a sound of the board by
    // its audio number, and reading the board again.
    std::optional<platform::CommandState> commandState(std::string_view name) const override;
    bool performCommand(std::string_view name, std::string_view argument) override;

    // The one player of the open board's sounds that every trigger goes through.
    BoardSoundPlayer& boardSounds() { return m_sounds; }

    // Outlets from the main window layout. Owned by the delegate.
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<platform::NavigationController> navigationController;

  private:
    // The stack's root page when it is the main page, or null.
    MainPage* mainPage() const;
    // Pushes a new page made from layout `nibName`; false when none could be made.
    template <class Page>
    bool pushPage(const char* nibName);
    // Pushes the page of the category at `position` (from 1); false when the
    // board has no such category.
    bool openCategory(std::string_view position);

    BoardSoundPlayer m_sounds;
};

// The player of the running application's delegate, for pages that play the
// board's sounds; null without that delegate (a page tested alone).
BoardSoundPlayer* boardSoundPlayer();
