#include "Classes/BoardSoundPlayer.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/Desktop/DesktopPreferences.h"
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
        std::string number = Catalogue::audioNumber(*listed.entry);
        if (m_labels.emplace(number, Catalogue::label(*listed.entry)).second) {
            m_order.push_back(std::move(number));
        }
    }
    if (m_board) m_modes = DesktopPreferences().soundPlayModes(*m_board);
}

bool BoardSoundPlayer::offers(std::string_view audioNumber) {
    readCatalogueIfNeeded();
    return !audioNumber.empty() && m_labels.find(audioNumber) != m_labels.end();
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
    playInMode(found->second, modeOf(audioNumber));
    // Read at every play, as the play page does.
    if (Reference::boolForKey("vibrate")) {
        platform::AudioServicesPlaySystemSound(platform::kSystemSoundID_Vibrate);
    }
    return true;
}

void BoardSoundPlayer::playInMode(platform::SystemSoundID sound, const SoundPlayMode& mode) {
    if (platform::playingSoundCount(sound) > 0) {
        if (mode.again == SoundPlayMode::Again::kStop) {
            platform::stopSystemSound(sound);
            return;
        }
        if (mode.again == SoundPlayMode::Again::kRestart) platform::stopSystemSound(sound);
    }
    platform::AudioServicesPlaySystemSoundWithOptions(
        sound, {static_cast<double>(mode.trimDecibels), mode.loops});
}

void BoardSoundPlayer::playRegistered(platform::SystemSoundID sound, std::string_view audioNumber) {
    if (sound == 0) return;
    m_others.insert_or_assign(sound, std::string(audioNumber));
    playInMode(sound, modeOf(audioNumber));
}

SoundPlayMode BoardSoundPlayer::modeOf(std::string_view audioNumber) {
    readCatalogueIfNeeded();
    const auto found = m_modes.find(audioNumber);
    return found == m_modes.end() ? SoundPlayMode{} : found->second;
}

void BoardSoundPlayer::setModeOf(std::string_view audioNumber, const SoundPlayMode& mode) {
    readCatalogueIfNeeded();
    if (!m_board || audioNumber.empty()) return;
    SoundPlayMode kept = mode;
    kept.trimDecibels = SoundPlayMode::trimOnSteps(mode.trimDecibels);
    DesktopPreferences().setSoundPlayMode(*m_board, std::string(audioNumber), kept);
    if (kept.isDefault()) {
        if (const auto found = m_modes.find(audioNumber); found != m_modes.end()) {
            m_modes.erase(found);
        }
    } else {
        m_modes.insert_or_assign(std::string(audioNumber), kept);
    }
}

std::vector<BoardSoundPlayer::Playing> BoardSoundPlayer::nowPlaying() {
    readCatalogueIfNeeded();
    std::vector<Playing> playing;
    const auto add = [&](const std::string& number, platform::SystemSoundID sound) {
        if (sound == 0 || platform::playingSoundCount(sound) == 0) return;
        Playing item{number, {}, sound, std::nullopt};
        if (const auto label = m_labels.find(number); label != m_labels.end()) {
            item.label = label->second;
        }
        const auto options = platform::playbackOptions(sound);
        const auto progress = platform::playbackProgress(sound);
        const auto length = platform::systemSoundDuration(sound);
        if (options && !options->loops && progress && length) {
            item.secondsLeft = *length * (1.0 - *progress);
        }
        playing.push_back(std::move(item));
    };
    for (const std::string& number : m_order) {
        if (const auto found = m_sounds.find(number); found != m_sounds.end()) {
            add(number, found->second);
        }
        for (const auto& [sound, other] : m_others) {
            if (other == number) add(number, sound);
        }
    }
    // Registrations that have gone (a closed play page) are dropped here.
    std::erase_if(m_others,
                  [](const auto& other) { return platform::playingSoundCount(other.first) == 0; });
    return playing;
}

platform::SystemSoundID BoardSoundPlayer::soundID(std::string_view audioNumber) const {
    const auto found = m_sounds.find(audioNumber);
    return found == m_sounds.end() ? 0 : found->second;
}

bool BoardSoundPlayer::isPlaying(std::string_view audioNumber) const {
    const auto found = m_sounds.find(audioNumber);
    return found != m_sounds.end() && found->second != 0 &&
           platform::playingSoundCount(found->second) > 0;
}

std::set<std::string> BoardSoundPlayer::playingNumbers() const {
    std::set<std::string> playing;
    if (platform::playingSoundCount() == 0) return playing;
    for (const auto& [number, sound] : m_sounds) {
        if (sound != 0 && platform::playingSoundCount(sound) > 0) playing.insert(number);
    }
    for (const auto& [sound, number] : m_others) {
        if (platform::playingSoundCount(sound) > 0) playing.insert(number);
    }
    return playing;
}

void BoardSoundPlayer::forget() {
    for (const auto& [number, sound] : m_sounds) {
        if (sound != 0) platform::AudioServicesDisposeSystemSoundID(sound);
    }
    m_sounds.clear();
    m_labels.clear();
    m_order.clear();
    m_modes.clear();
    m_others.clear();
    m_board.reset();
}
