// The application delegate as the last link of the command chain.

#include "Classes/CommandNames.h"
#include "Classes/InfoPage.h"
#include "Classes/MainPage.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/Search/SearchPage.h"

namespace names = command_names;

MainPage* PeltoAppDelegate::mainPage() const {
    if (!navigationController || navigationController->viewControllers().empty()) return nullptr;
    return dynamic_cast<MainPage*>(navigationController->viewControllers().front().get());
}

template <class Page>
bool PeltoAppDelegate::pushPage(const char* nibName) {
    auto page = platform::ViewController::initWithNibName<Page>(nibName);
    if (!page || !navigationController) return false;
    navigationController->pushViewController(std::move(page), true);
    return true;
}

std::optional<platform::CommandState> PeltoAppDelegate::commandState(std::string_view name) const {
    if (name == names::kOpenFavourites || name == names::kReloadBoard) {
        return platform::CommandState{mainPage() != nullptr};
    }
    if (name == names::kOpenInfo || name == names::kFind) {
        return platform::CommandState{navigationController != nullptr};
    }
    if (name == names::kPlaySound) return platform::CommandState{};
    return std::nullopt;
}

bool PeltoAppDelegate::performCommand(std::string_view name, std::string_view argument) {
    if (name == names::kPlaySound) return m_sounds.play(argument);
    if (name == names::kOpenInfo) return pushPage<InfoPage>("InfoPage");
    if (name == names::kFind) return pushPage<SearchPage>("SearchPage");
    MainPage* main = mainPage();
    if (main == nullptr) return false;
    if (name == names::kOpenFavourites) {
        main->toLovePage();
        return true;
    }
    if (name == names::kReloadBoard) {
        m_sounds.forget();
        main->reloadCatalogue();
        return true;
    }
    return false;
}
