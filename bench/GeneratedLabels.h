#pragma once

#include <array>
#include <string>
#include <vector>

namespace bench {

// `count` sound labels of two or three words with accents, capitals and
// numbers, the same on every run.
inline std::vector<std::string> generatedLabels(int count) {
    const std::array<const char*, 16> first = {
        "Air",   "Éclair", "Sad",  "Straße", "Referee",  "Slide",  "Crème",  "Laser",
        "Robot", "Power",  "Drum", "Große",  "Teleport", "Cuckoo", "Piñata", "Señor"};
    const std::array<const char*, 16> second = {
        "Horn",  "Whistle", "Trombone", "Zap",    "Beeps", "Roll",    "Brûlée", "Siren",
        "Alarm", "Bell",    "Boing",    "Spring", "Pop",   "Fanfare", "Chime",  "Gong"};
    std::vector<std::string> made;
    made.reserve(static_cast<std::size_t>(count));
    unsigned state = 12345;
    for (int index = 0; index < count; ++index) {
        state = state * 1103515245U + 12345U;
        std::string label = first[(state >> 8) % first.size()];
        label += ' ';
        label += second[(state >> 16) % second.size()];
        if ((state >> 4) % 3 == 0) label += " " + std::to_string(index);
        made.push_back(std::move(label));
    }
    return made;
}

// What a user types, word after word; each word starts over from its first letter.
inline const std::array<const char*, 6> kTypedWords = {"whistle", "eclair", "brulee",
                                                       "strasse", "pinata", "gong 7"};

}  // namespace bench
