#include "HeadlessServices.h"

#include "Application.h"
#include "ApplicationHost.h"
#include "Platform/Foundation/Log.h"

namespace platform {

void HeadlessServices::chooseFolder(std::string /*title*/, std::filesystem::path /*start*/,
                                    FolderChosen chosen) {
    if (chosen) chosen(std::nullopt);
}

void HeadlessServices::ask(std::string /*title*/, std::string /*question*/,
                           std::string /*acceptText*/, Answered answered) {
    if (answered) answered(false);
}

void HeadlessServices::tell(std::string title, std::string text) {
    Log(title + ": " + text);
}

bool HeadlessServices::runInBackground(BackgroundWork /*work*/) {
    return false;
}

bool HeadlessServices::openBundle(const std::filesystem::path& folder) {
    // Without a window the pages are made anew all the same: a board opened
    // from another program (the bus) is the one its next requests reach.
    auto& application = Application::sharedApplication();
    if (!reopenMainWindow(application, folder)) return false;
    // The new pages are all there is to show: what waits for them (the board's
    // hotkeys, the note that the board opened) hears it as a window would after its frame.
    application.contentShown();
    return true;
}

}  // namespace platform
