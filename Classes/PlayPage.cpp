#include "Classes/PlayPage.h"

#include "Classes/BannerPanel.h"
#include "Classes/BoardSoundPlayer.h"
#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/InfoPage.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/Reference.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Graphics/Image.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/HostServices.h"
#include "Platform/UI/NavigationController.h"

void PlayPage::describeLayout(platform::LayoutClass<PlayPage>& layout) {
    layout.outlet("tlabel", &PlayPage::tlabel)
        .outlet("Ad", &PlayPage::Ad)
        .outlet("loveImage", &PlayPage::loveImage)
        .outlet("playButton", &PlayPage::playButton)
        .action("onPlay", &PlayPage::onPlay)
        .action("toInfoPage", &PlayPage::toInfoPage);
}

PlayPage::~PlayPage() {
    if (m_sndID != 0) platform::AudioServicesDisposeSystemSoundID(m_sndID);
    baseURL.reset();
}

std::string PlayPage::audioNumber() const {
    return curData ? Catalogue::audioNumber(*curData) : std::string();
}

void PlayPage::pushData(std::shared_ptr<SPXMLElement> entry) {
    curData = std::move(entry);
    // A page is handed one entry; should it get another, the earlier
    // registration goes first so that none is left behind.
    if (m_sndID != 0) platform::AudioServicesDisposeSystemSoundID(m_sndID);
    m_sndID = 0;
    baseURL.reset();
    // The audio number names the resource as it stands; the bundle refuses
    // names that would reach outside it ("/", ".."), so such an entry simply
    // has no sound and m_sndID stays 0.
    sndPath = BoardSoundPlayer::soundPath(audioNumber()).value_or(std::string());
    if (!sndPath.empty()) {
        baseURL = platform::URL::fileURLWithPath(sndPath);
        // The status is not examined: on failure nothing is written and the id stays 0.
        platform::AudioServicesCreateSystemSoundID(*baseURL, &m_sndID);
    }
    setTitle(curData ? Catalogue::label(*curData) : std::string());
    rightIcon();
    namePlayButtonSound();
}

void PlayPage::namePlayButtonSound() {
    if (!playButton) return;
    playButton->setPlaybackSound(m_sndID);
    // A screen reader says which sound the button plays.
    if (curData) playButton->setAccessibilityLabel("Play " + Catalogue::label(*curData));
}

void PlayPage::viewDidLoad() {
    ViewController::viewDidLoad();
    if (tlabel) tlabel->setText(curData ? Catalogue::label(*curData) : std::string());
    namePlayButtonSound();
    if (m_flashedBadge && loveImage && m_flashedBadge != loveImage) {
        loveImage->setImage(m_flashedBadge->image());
        loveImage->adoptAlphaOf(*m_flashedBadge);
        m_flashedBadge = loveImage;
    }
}

void PlayPage::viewWillAppear(bool /*animated*/) {
    BannerPanel::load(Ad.get());
}

void PlayPage::onPlay() {
    // Through the board's player, so the sound's play mode holds here too.
    if (BoardSoundPlayer* player = boardSoundPlayer(); player != nullptr && m_sndID != 0) {
        player->playRegistered(m_sndID, audioNumber());
    } else if (m_sndID != 0) {
        platform::AudioServicesPlaySystemSound(m_sndID);
    } else {
        tellCannotPlay();
    }
    // Read at every tap, so a change on the main page applies at once.
    if (Reference::boolForKey("vibrate")) {
        platform::AudioServicesPlaySystemSound(platform::kSystemSoundID_Vibrate);
    }
}

void PlayPage::tellCannotPlay() const {
    // The application's own sounds are all there; a board may come without some.
    auto bundle = platform::Bundle::mainBundle();
    if (!bundle || !bundle->applicationBundle() || !curData) return;
    const std::string label = Catalogue::label(*curData);
    platform::Log("Sound \"" + audioNumber() + "\" of the board cannot be played: " +
        (sndPath.empty() ? "its file is missing" : "its file cannot be decoded"));
    platform::Application::sharedApplication().hostServices().tell(
        "Sound Not Played", "“" + label + "” cannot be played: " +
                                (sndPath.empty() ? "the board has no sound file for it."
                                                 : "its sound file cannot be read.") +
                                " Choose File ▸ Check Board to see every problem of the board.");
}

void PlayPage::rightIcon() {
    saving = false;
    const bool marked = isMarked();
    // The navigation item holds the only reference; the button holds the page weakly.
    auto button = marked ? platform::BarButtonItem::initWithBarButtonSystemItem(
                               platform::kBarButtonSystemItemTrash,
                               platform::Action(self<PlayPage>(), &PlayPage::rightAction2))
                         : platform::BarButtonItem::initWithBarButtonSystemItem(
                               platform::kBarButtonSystemItemAdd,
                               platform::Action(self<PlayPage>(), &PlayPage::rightAction1));
    if (curData) {
        const std::string label = Catalogue::label(*curData);
        button->setAccessibilityLabel(marked ? "Remove " + label + " from Favourites"
                                             : "Add " + label + " to Favourites");
    }
    navigationItem().setRightBarButtonItem(std::move(button));
}

void PlayPage::rightAction1() {
    toggleMark(true, "LoveAdd.png");
}

void PlayPage::rightAction2() {
    toggleMark(false, "LoveRemove.png");
}

void PlayPage::toggleMark(bool marked, std::string_view badgeImageName) {
    if (saving || !Catalogue::canBeMarked(audioNumber())) return;
    // Written through at once: leaving the page during the flash loses nothing.
    Reference::setBool(marked, audioNumber());
    saving = true;
    if (loveImage) loveImage->setImage(platform::Image::imageNamed(badgeImageName));
    m_flashedBadge = loveImage;
    fadeBadgeTo(1.0);
    // The run loop holds the page until the call has run, also when the page is
    // popped meanwhile; the button keeps its old look until then.
    platform::RunLoop::main().performAfterDelay(self<PlayPage>(), &PlayPage::loveImageDisappear,
                                                kBadgeFlashLength);
}

void PlayPage::loveImageDisappear() {
    rightIcon();
    saving = false;
    fadeBadgeTo(0.0);
}

void PlayPage::fadeBadgeTo(double alpha) {
    platform::View::beginAnimations("Love", nullptr);
    platform::View::setAnimationCurve(platform::kAnimationCurveEaseInOut);
    platform::View::setAnimationDuration(kBadgeFadeDuration);
    if (loveImage) loveImage->setAlpha(alpha);
    platform::View::commitAnimations();
}

void PlayPage::toInfoPage() {
    auto page = platform::ViewController::initWithNibName<InfoPage>("InfoPage");
    auto* stack = navigationController();
    if (page && stack) stack->pushViewController(std::move(page), true);
}

bool PlayPage::webViewShouldStartLoadWithRequest(platform::WebView& /*webView*/,
                                                 const platform::URLRequest& request,
                                                 int navigationType) {
    return BannerPanel::shouldStartLoadWithRequest(request, navigationType);
}

bool PlayPage::isMarked() const {
    return Catalogue::canBeMarked(audioNumber()) && Reference::boolForKey(audioNumber());
}

std::optional<platform::CommandState> PlayPage::commandState(std::string_view name) const {
    if (name == command_names::kPlay || name == command_names::kOpenInfo) {
        return platform::CommandState{};
    }
    // The mark as stored: the button keeps its old look while its badge flashes.
    if (name == command_names::kToggleFavourite)
        return platform::CommandState{true, true, isMarked()};
    return ViewController::commandState(name);
}

bool PlayPage::performCommand(std::string_view name, std::string_view argument) {
    if (name == command_names::kPlay) {
        return isViewLoaded() && performDefaultAction().has_value();
    }
    if (name == command_names::kToggleFavourite) {
        // The button's own tap: it ignores taps while the badge flashes.
        const auto button = navigationItem().rightBarButtonItem();
        if (button) button->tap();
        return static_cast<bool>(button);
    }
    if (name == command_names::kOpenInfo) {
        toInfoPage();
        return true;
    }
    return ViewController::performCommand(name, argument);
}
