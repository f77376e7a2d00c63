#pragma once

#include "HostServices.h"

namespace platform {

// The host's services where no window shows the application (a trigger from
// another program while running headless): nothing can be asked, what would
// be told goes to the log, no background work is started, another bundle opens
// in place of the present one (its pages made anew, none shown), and
// the pages are drawn at their own size.
class HeadlessServices final : public HostServices {
  public:
    void chooseFolder(std::string title, std::filesystem::path start, FolderChosen chosen) override;
    void ask(std::string title, std::string question, std::string acceptText,
             Answered answered) override;
    void tell(std::string title, std::string text) override;
    bool runInBackground(BackgroundWork work) override;
    bool openBundle(const std::filesystem::path& folder) override;
    double zoom() const override { return 1.0; }
    void setZoom(double /*zoom*/) override {}
};

}  // namespace platform
