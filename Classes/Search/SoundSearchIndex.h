#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Finds sounds by their labels as the user types. Labels are folded once when
// the index is made (see SearchFolding), and every query is folded the same
// way, so case and accents never matter.
//
// Ranking, each group in the order the labels were given (catalogue order):
//  1. the label starts with the query;
//  2. a later word of the label starts with the query (a word starts after any
//     character that is neither a letter nor a digit: "whi" finds
//     "Referee Whistle");
//  3. the query appears anywhere else in the label.
// An empty query (or one that folds to nothing) lists every sound in order.
//
// Typing narrows: the matches of every query on the way to the present one are
// kept, so a query that extends an earlier one only looks at that one's
// matches, and Backspace goes back to matches already found.
class SoundSearchIndex {
  public:
    explicit SoundSearchIndex(const std::vector<std::string>& labels);

    // Positions (into the labels given) of the sounds matching `query`, ranked.
    std::vector<std::size_t> search(std::string_view query);

    std::size_t size() const { return m_starts.size(); }

  private:
    // A query already answered, with its matches in label order.
    struct Narrowing {
        std::string folded;
        std::vector<std::uint32_t> matches;
    };
    enum class Rank { kNone, kLabelStart, kWordStart, kInside };

    std::string_view foldedLabel(std::size_t position) const;
    Rank rank(std::size_t position, std::string_view folded) const;
    // The deepest kept narrowing whose query the new one extends, dropping the rest.
    const Narrowing* narrowingFor(std::string_view folded);

    // Every folded label, back to back; label i is [m_starts[i], m_starts[i + 1]).
    std::string m_folded;
    std::vector<std::size_t> m_starts;
    std::vector<Narrowing> m_narrowings;
};
