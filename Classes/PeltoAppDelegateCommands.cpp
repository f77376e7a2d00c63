// The application delegate as the last link of the command chain.

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CategoryPage.h"
#include "Classes/CommandNames.h"
#include "Classes/InfoPage.h"
#include "Classes/MainPage.h"
#include "Classes/Pads/PadsPage.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/Search/SearchPage.h"
#include "Platform/UI/Application.h"

#include <charconv>

namespace names = command_names;

BoardSoundPlayer* boardSoundPlayer() {
    auto* delegate =
        dynamic_cast<PeltoAppDelegate*>(platform::Application::sharedApplication().delegate());
    return delegate != nullptr ? &delegate->boardSounds() : nullptr;
}

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
    if (name == names::kOpenInfo || name == names::kFind || name == names::kOpenCategory ||
        name == names::kOpenPads) {
        return platform::CommandState{navigationController != nullptr};
    }
    if (name == names::kPlaySound) return platform::CommandState{};
    return std::nullopt;
}

bool PeltoAppDelegate::performCommand(std::string_view name, std::string_view argument) {
    if (name == names::kPlaySound) return m_sounds.play(argument);
    if (name == names::kOpenInfo) return pushPage<InfoPage>("InfoPage");
    if (name == names::kFind) return pushPage<SearchPage>("SearchPage");
    if (name == names::kOpenCategory) return openCategory(argument);
    if (name == names::kOpenPads) {
        if (!navigationController) return false;
        // Made in code: the page needs no layout, so every board has it.
        navigationController->pushViewController(std::make_shared<PadsPage>(), true);
        return true;
    }
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

bool PeltoAppDelegate::openCategory(std::string_view position) {
    int number = 0;
    const char* end = position.data() + position.size();
    const auto [stop, error] = std::from_chars(position.data(), end, number);
    if (error != std::errc() || stop != end || number < 1 || !navigationController) return false;
    const int section = number - 1;
    if (section >= Catalogue::categoryCount(Catalogue::loadDocument())) return false;
    // Asked again for the category already shown: it stays as it is.
    const auto& pages = navigationController->viewControllers();
    if (const auto* shown =
            pages.empty() ? nullptr : dynamic_cast<CategoryPage*>(pages.back().get());
        shown != nullptr && shown->category() == section) {
        return true;
    }
    auto page = platform::ViewController::initWithNibName<CategoryPage>("CategoryPage");
    if (!page) return false;
    page->setCategory(section);
    navigationController->pushViewController(std::move(page), true);
    return true;
}
