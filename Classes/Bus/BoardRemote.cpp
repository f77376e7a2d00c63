#include "Classes/Bus/BoardRemote.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/Desktop/LastOpenedBoard.h"
#include "Classes/Desktop/SoundMenuCommands.h"
#include "Classes/Search/SearchFolding.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/DBus/BusNames.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/HostServices.h"

#include <filesystem>

namespace names = command_names;
using platform::BusTarget;

namespace {

BusTarget::Refusal noSound(const std::string& what) {
    return {platform::bus::kNoSuchSound, "The open board has no sound " + what + "."};
}

// The audio number of the first sound labelled `label`, as written or folded.
std::optional<std::string> numberForLabel(const std::string& label) {
    const auto listed = Catalogue::everySound(Catalogue::loadDocument());
    for (const auto& sound : listed) {
        if (Catalogue::label(*sound.entry) == label) return Catalogue::audioNumber(*sound.entry);
    }
    const std::string folded = SearchFolding::fold(label);
    if (folded.empty()) return std::nullopt;
    for (const auto& sound : listed) {
        if (SearchFolding::fold(Catalogue::label(*sound.entry)) == folded) {
            return Catalogue::audioNumber(*sound.entry);
        }
    }
    return std::nullopt;
}

}  // namespace

BusTarget::Outcome BoardRemote::playLabel(const std::string& label) {
    const auto number = numberForLabel(label);
    if (!number) return noSound("labelled \"" + label + "\"");
    if (!platform::Application::sharedApplication().sendCommand(names::kPlaySound, *number)) {
        return Refusal{platform::bus::kFailed,
                       "The sound \"" + label + "\" is listed but its file cannot be played."};
    }
    return std::nullopt;
}

BusTarget::Outcome BoardRemote::playNumber(const std::string& audioNumber) {
    if (!platform::Application::sharedApplication().sendCommand(names::kPlaySound, audioNumber)) {
        return noSound("numbered \"" + audioNumber + "\" that can be played");
    }
    return std::nullopt;
}

void BoardRemote::stopAll() {
    auto& application = platform::Application::sharedApplication();
    // Without the desktop's commands (a bare headless run) the sound stops all the same.
    if (!application.sendCommand(names::kStopAllSounds)) platform::stopAllSystemSounds();
}

int BoardRemote::volume() {
    return platform::isSystemSoundMuted() ? 0 : platform::systemSoundVolume();
}

void BoardRemote::setVolume(int percent) {
    setSoundVolume(percent);
}

std::vector<std::string> BoardRemote::categories() {
    std::vector<std::string> titles;
    for (const auto& category : Catalogue::categories(Catalogue::loadDocument())) {
        titles.push_back(category.title);
    }
    return titles;
}

std::vector<BusTarget::Sound> BoardRemote::sounds() {
    std::vector<Sound> sounds;
    for (const auto& listed : Catalogue::everySound(Catalogue::loadDocument())) {
        sounds.push_back({Catalogue::audioNumber(*listed.entry), Catalogue::label(*listed.entry),
                          listed.categoryTitle});
    }
    return sounds;
}

BusTarget::Outcome BoardRemote::openBoard(const std::string& folder) {
    std::error_code failed;
    const std::filesystem::path board = std::filesystem::absolute(folder, failed);
    if (failed || !platform::Bundle::isBoardFolder(board)) {
        return Refusal{platform::bus::kNotABoard,
                       folder + " is not a board: it has no catalogue of sounds."};
    }
    if (!platform::Application::sharedApplication().hostServices().openBundle(board)) {
        return Refusal{platform::bus::kFailed, "The board in " + folder + " could not be opened."};
    }
    LastOpenedBoard::remember(board);
    return std::nullopt;
}
