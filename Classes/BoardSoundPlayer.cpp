#include "Classes/BoardSoundPlayer.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/Reference.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/URL.h"

BoardSoundPlayer::~BoardSoundPlayer() {
    forget();
}

std::optional<std::string> BoardSoundPlayer::soundPath(std::string_view audioNumber) {
    auto bundle = platform::Bundle::mainBundle();
    return bundle ? bundle->pathForResource(audioNumber, "aiff") : std::nullopt;
}

void BoardSoundPlayer::readCatalogueIfNeeded() {
    auto bundle = platform::Bundle::mainBundle();
    const std::optional<std::filesystem::path> board =
        bundle ? std::optional(bundle->bundlePath()) : std::nullopt;
    if (m_board && board == m_board) return;
    forget();
    m_board = board;
    for (const auto& listed : Catalogue::everySound(Catalogue::loadDocument())) {
        m_numbers.insert(Catalogue::audioNumber(*listed.entry));
    }
}

bool BoardSoundPlayer::offers(std::string_view audioNumber) {
    readCatalogueIfNeeded();
    return !audioNumber.empty() && m_numbers.find(audioNumber) != m_numbers.end();
}

bool BoardSoundPlayer::play(std::string_view audioNumber) {
    if (!offers(audioNumber)) return false;
    auto found = m_sounds.find(audioNumber);
    if (found == m_sounds.end()) {
        platform::SystemSoundID sound = 0;
        if (const auto path = soundPath(audioNumber)) {
            platform::AudioServicesCreateSystemSoundID(platform::URL::fileURLWithPath(*path),
                                                       &sound);
        }
        found = m_sounds.emplace(std::string(audioNumber), sound).first;
    }
    if (found->second == 0) return false;
    platform::AudioServicesPlaySystemSound(found->second);
    // Read at every play, as the play page does.
    if (Reference::boolForKey("vibrate")) {
        platform::AudioServicesPlaySystemSound(platform::kSystemSoundID_Vibrate);
    }
    return true;
}

bool BoardSoundPlayer::isPlaying(std::string_view audioNumber) const {
    const auto found = m_sounds.find(audioNumber);
    return found != m_sounds.end() && found->second != 0 &&
           platform::playingSoundCount(found->second) > 0;
}

void BoardSoundPlayer::forget() {
    for (const auto& [number, sound] : m_sounds) {
        if (sound != 0) platform::AudioServicesDisposeSystemSoundID(sound);
    }
    m_sounds.clear();
    m_numbers.clear();
    m_board.reset();
}
