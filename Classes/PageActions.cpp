#include "Classes/PageActions.h"

#include "Classes/InfoPage.h"
#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/PlayPage.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/BarButtonItem.h"

namespace page_actions {
namespace {

template <class Page>
Page* onTop() {
    return dynamic_cast<Page*>(topPage());
}

}  // namespace

platform::NavigationController* stack() {
    auto delegate = std::dynamic_pointer_cast<PeltoAppDelegate>(
        platform::Application::sharedApplication().delegatePointer());
    return delegate ? delegate->navigationController.get() : nullptr;
}

platform::ViewController* topPage() {
    auto* pages = stack();
    return pages != nullptr ? pages->topViewController() : nullptr;
}

PlayPage* playPageOnTop() {
    return onTop<PlayPage>();
}

MainPage* mainPageOnTop() {
    return onTop<MainPage>();
}

bool favouritesOnTop() {
    return onTop<LovePage>() != nullptr;
}

bool infoOnTop() {
    return onTop<InfoPage>() != nullptr;
}

void play() {
    if (PlayPage* page = playPageOnTop(); page != nullptr && page->isViewLoaded()) {
        // Held: the action may pop the page.
        const auto keep = page->shared_from_this();
        page->performDefaultAction();
    }
}

void toggleFavourite() {
    PlayPage* page = playPageOnTop();
    if (page == nullptr) return;
    // The button's own tap: it ignores taps while the badge flashes.
    if (const auto button = page->navigationItem().rightBarButtonItem()) button->tap();
}

bool isFavourite() {
    PlayPage* page = playPageOnTop();
    const auto button = page != nullptr ? page->navigationItem().rightBarButtonItem() : nullptr;
    return button && button->systemItem() == platform::kBarButtonSystemItemTrash;
}

void openFavourites() {
    auto* pages = stack();
    if (pages == nullptr || pages->viewControllers().empty() || favouritesOnTop()) return;
    if (auto* main = dynamic_cast<MainPage*>(pages->viewControllers().front().get())) {
        main->toLovePage();
    }
}

void openInfo() {
    if (infoOnTop()) return;
    if (PlayPage* page = playPageOnTop()) {
        page->toInfoPage();
        return;
    }
    auto* pages = stack();
    auto info = platform::ViewController::initWithNibName<InfoPage>("InfoPage");
    if (info && pages != nullptr) pages->pushViewController(std::move(info), true);
}

bool canGoBack() {
    auto* pages = stack();
    return pages != nullptr && pages->viewControllers().size() > 1;
}

void goBack() {
    if (canGoBack()) stack()->popViewControllerAnimated(true);
}

void toggleOptions() {
    MainPage* page = mainPageOnTop();
    if (page == nullptr) return;
    if (const auto button = page->navigationItem().leftBarButtonItem()) button->tap();
}

}  // namespace page_actions
