#include "HeadlessServices.h"

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

bool HeadlessServices::openBundle(const std::filesystem::path& /*folder*/) {
    return false;
}

}  // namespace platform
