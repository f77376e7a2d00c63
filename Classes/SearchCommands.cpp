#include "Classes/SearchCommands.h"

#include "Classes/PeltoAppDelegate.h"
#include "Classes/SearchPage.h"
#include "Platform/UI/Application.h"

bool openSearchPage() {
    auto delegate = std::dynamic_pointer_cast<PeltoAppDelegate>(
        platform::Application::sharedApplication().delegatePointer());
    if (!delegate || !delegate->navigationController) return false;
    const auto stack = delegate->navigationController;
    if (dynamic_cast<SearchPage*>(stack->topViewController()) != nullptr) return false;
    auto page = platform::ViewController::initWithNibName<SearchPage>("SearchPage");
    if (!page) return false;
    stack->pushViewController(std::move(page), true);
    return true;
}

platform::WindowCommand findSoundCommand() {
    return {kFindSoundTitle, "Ctrl+F", [](platform::HostServices&) { openSearchPage(); }};
}
