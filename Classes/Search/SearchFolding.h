#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The form in which labels and queries are compared: compatibility-normalised,
// case-folded (so "ß" and "SS" both become "ss") and stripped of accents and
// other non-spacing marks ("Éclair" becomes "eclair"), then composed again, in
// UTF-8. Ill-formed UTF-8 folds with each bad sequence as U+FFFD, so every text
// has a folded form. Safe on any thread: ICU's normalisers are immutable
// singletons it owns for the life of the process.
namespace SearchFolding {
// `text` folded; empty when `text` is empty or only marks.
std::string fold(std::string_view text);
// Whether byte `offset` of the folded text `folded` starts a word: it is 0,
// or the code point ending there is neither a letter nor a digit.
bool startsWord(std::string_view folded, std::size_t offset);
}  // namespace SearchFolding
