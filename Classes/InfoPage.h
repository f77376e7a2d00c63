#pragma once

#include "Platform/Foundation/URL.h"
#include "Platform/UI/Label.h"
#include "Platform/UI/LayoutRegistry.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/ViewController.h"

#include <memory>
#include <optional>

// The about page: scrolling content from its layout and three controls that
// open the sibling applications' store pages and the maker's profile outside
// the application. The link parts come from the bundle's Info.plist; the version
// shown is the program's own.
class InfoPage : public platform::ViewController {
  public:
    static void describeLayout(platform::LayoutClass<InfoPage>& layout);

    static constexpr platform::Size kContentSize{320.0, 650.0};

    void viewDidLoad() override;

    // Commands by name while on top (see command_names).
    std::optional<platform::CommandState> commandState(std::string_view name) const override;

    // Open the first sibling's store page, the second's, and the maker's profile.
    void onFarland();
    void onBrisel();
    void onTwitter();

    // The links the three actions open; none when the configured parts do not
    // make a valid URL.
    static std::optional<platform::URL> firstStoreURL();
    static std::optional<platform::URL> secondStoreURL();
    static std::optional<platform::URL> profileURL();

    // Outlets from the layout.
    std::shared_ptr<platform::ScrollView> scrollView;
    std::shared_ptr<platform::Label> versionLabel;
};
