#include "Classes/InfoPage.h"

#include "Classes/CommandNames.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/UI/Application.h"
#include "SoundboardVersion.h"

#include <string>
#include <string_view>

namespace {

// The Info.plist text under `key`; `fallback` when the key is missing or empty.
std::string infoString(std::string_view key, std::string_view fallback) {
    auto bundle = platform::Bundle::mainBundle();
    auto value = bundle ? bundle->stringForInfoKey(key) : std::nullopt;
    return value && !value->empty() ? *value : std::string(fallback);
}

std::optional<platform::URL> storeURL(std::string_view appIDKey, std::string_view appIDFallback) {
    return platform::URL::URLWithString(
        "http://" + infoString("SBInfoStoreHost", "apps.example.com") +
        "/WebObjects/MZStore.woa/wa/viewSoftware?id=" + infoString(appIDKey, appIDFallback) +
        "&mt=8");
}

// The result of the open is not examined: the page stays as it is either way.
void open(const std::optional<platform::URL>& url) {
    if (url) platform::Application::sharedApplication().openURL(*url);
}

}  // namespace

void InfoPage::describeLayout(platform::LayoutClass<InfoPage>& layout) {
    layout.outlet("scrollView", &InfoPage::scrollView)
        .outlet("versionLabel", &InfoPage::versionLabel)
        .action("onFarland", &InfoPage::onFarland)
        .action("onBrisel", &InfoPage::onBrisel)
        .action("onTwitter", &InfoPage::onTwitter);
}

void InfoPage::viewDidLoad() {
    ViewController::viewDidLoad();
    if (scrollView) scrollView->setContentSize(kContentSize);
    if (versionLabel) versionLabel->setText("Version " + std::string(kSoundboardVersion));
    setTitle("Info");
}

std::optional<platform::URL> InfoPage::firstStoreURL() {
    return storeURL("SBInfoFirstAppStoreID", "100000001");
}

std::optional<platform::URL> InfoPage::secondStoreURL() {
    return storeURL("SBInfoSecondAppStoreID", "100000002");
}

std::optional<platform::URL> InfoPage::profileURL() {
    return platform::URL::URLWithString("http://" +
                                        infoString("SBInfoSocialHost", "mobile.example.com") + "/" +
                                        infoString("SBInfoAccountName", "soundboard"));
}

void InfoPage::onFarland() {
    open(firstStoreURL());
}

void InfoPage::onBrisel() {
    open(secondStoreURL());
}

void InfoPage::onTwitter() {
    open(profileURL());
}

std::optional<platform::CommandState> InfoPage::commandState(std::string_view name) const {
    // Already here: opening it again from a menu does nothing.
    if (name == command_names::kOpenInfo) return platform::CommandState{false};
    return ViewController::commandState(name);
}
