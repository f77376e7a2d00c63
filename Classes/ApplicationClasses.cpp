#include "Classes/ApplicationClasses.h"

#include "Classes/CategoryPage.h"
#include "Classes/InfoPage.h"
#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/PlayPage.h"
#include "Classes/Search/SearchPage.h"
#include "Platform/UI/LayoutRegistry.h"

void registerApplicationClasses() {
    platform::LayoutRegistry::registerClass<PeltoAppDelegate>("PeltoAppDelegate");
    platform::LayoutRegistry::registerClass<MainPage>("MainPage");
    platform::LayoutRegistry::registerClass<PlayPage>("PlayPage");
    platform::LayoutRegistry::registerClass<LovePage>("LovePage");
    platform::LayoutRegistry::registerClass<InfoPage>("InfoPage");
    platform::LayoutRegistry::registerClass<SearchPage>("SearchPage");
    platform::LayoutRegistry::registerClass<CategoryPage>("CategoryPage");
}
