#pragma once

#include "Classes/SPLibrary/SPXMLElement.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/URL.h"
#include "Platform/UI/Button.h"
#include "Platform/UI/ImageView.h"
#include "Platform/UI/Label.h"
#include "Platform/UI/LayoutRegistry.h"
#include "Platform/UI/ViewController.h"
#include "Platform/UI/WebView.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The page of one sound entry: plays it (and vibrates when the "vibrate" flag is
// set), adds or removes its favourite mark with a navigation-bar button followed
// by a badge flash, leads on to the info page, and shows the banner.
//
// Lifetime: the navigation stack owns the page; a pending end of a badge flash
// keeps it alive for up to 1.4 s after it is popped. The page shares ownership
// of its sound entry, which therefore outlives any tree it came from.
class PlayPage : public platform::ViewController, public platform::WebViewDelegate {
  public:
    static void describeLayout(platform::LayoutClass<PlayPage>& layout);

    // Badge flash timings, in seconds after the tap.
    static constexpr double kBadgeFadeDuration = 0.2;
    static constexpr double kBadgeFlashLength = 1.4;

    ~PlayPage() override;

    // Hands the page its sound entry, before the push: registers the sound file,
    // sets the title and builds the favourite button. Call once.
    void pushData(std::shared_ptr<SPXMLElement> entry);

    void viewDidLoad() override;

    // Commands by name while on top (see command_names).
    std::optional<platform::CommandState> commandState(std::string_view name) const override;
    bool performCommand(std::string_view name, std::string_view argument) override;
    void viewWillAppear(bool animated) override;

    // Plays the sound, and vibrates when the "vibrate" flag is set.
    void onPlay();
    // Installs the favourite button for the stored mark: Trash (remove) when
    // marked, Add otherwise. Clears `saving`.
    void rightIcon();
    // The favourite button: add the mark / remove it, then flash the badge.
    // Ignored while a flash is in progress.
    void rightAction1();
    void rightAction2();
    // The delayed end of a badge flash.
    void loveImageDisappear();
    // Pushes a new info page.
    void toInfoPage();

    void setCurData(std::shared_ptr<SPXMLElement> entry) { curData = std::move(entry); }
    void setTlabel(std::shared_ptr<platform::Label> label) { tlabel = std::move(label); }

    bool webViewShouldStartLoadWithRequest(platform::WebView& webView,
                                           const platform::URLRequest& request,
                                           int navigationType) override;

    // The sound's registration; 0 while nothing is registered. Disposed at destruction.
    platform::SystemSoundID m_sndID = 0;
    // Full path of the sound file; empty when the bundle has none for the entry.
    std::string sndPath;
    // File URL of sndPath handed to the registration; none without a path.
    std::optional<platform::URL> baseURL;
    // Outlets from the layout.
    std::shared_ptr<platform::Label> tlabel;
    std::shared_ptr<platform::WebView> Ad;
    // The play button; it names the page's sound so that its play shows on it.
    std::shared_ptr<platform::Button> playButton;
    // The sound entry this page plays.
    std::shared_ptr<SPXMLElement> curData;
    std::shared_ptr<platform::ImageView> loveImage;
    // True while a badge flash is in progress.
    bool saving = false;

  private:
    // The badge view the last flash ran on. A view loaded again (after a memory
    // warning) takes over its picture and its fade, so the page shows the flash
    // where it stands rather than the layout's hidden badge.
    std::shared_ptr<platform::ImageView> m_flashedBadge;

    void toggleMark(bool marked, std::string_view badgeImageName);
    void fadeBadgeTo(double alpha);
    std::string audioNumber() const;
    // Whether the stored favourites hold the page's sound.
    bool isMarked() const;
    void namePlayButtonSound();
    // A board's sound that could not be registered: the user is told, not left with silence.
    void tellCannotPlay() const;
};
