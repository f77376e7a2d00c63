#include "Classes/Search/SoundSearchIndex.h"

#include "Classes/Search/SearchFolding.h"

#include <algorithm>
#include <limits>

namespace {

// Queries longer than this are answered but not kept for narrowing: nobody
// types them, and the kept matches stay bounded.
constexpr std::size_t kNarrowingsKept = 64;

}  // namespace

SoundSearchIndex::SoundSearchIndex(const std::vector<std::string>& labels) {
    // Positions are kept as 32-bit numbers; a catalogue past that is cut short.
    const std::size_t count =
        std::min<std::size_t>(labels.size(), std::numeric_limits<std::uint32_t>::max());
    m_starts.reserve(count);
    for (std::size_t position = 0; position < count; ++position) {
        m_starts.push_back(m_folded.size());
        m_folded += SearchFolding::fold(labels[position]);
    }
}

std::string_view SoundSearchIndex::foldedLabel(std::size_t position) const {
    const std::size_t begin = m_starts[position];
    const std::size_t end =
        position + 1 < m_starts.size() ? m_starts[position + 1] : m_folded.size();
    return std::string_view(m_folded).substr(begin, end - begin);
}

SoundSearchIndex::Rank SoundSearchIndex::rank(std::size_t position, std::string_view folded) const {
    const std::string_view label = foldedLabel(position);
    // One character (the first keystroke, over every label) is looked for as a byte.
    const auto next = [&](std::size_t from) {
        return folded.size() == 1 ? label.find(folded.front(), from) : label.find(folded, from);
    };
    std::size_t at = next(0);
    if (at == std::string_view::npos) return Rank::kNone;
    if (at == 0) return Rank::kLabelStart;
    for (; at != std::string_view::npos; at = next(at + 1)) {
        if (SearchFolding::startsWord(label, at)) return Rank::kWordStart;
    }
    return Rank::kInside;
}

const SoundSearchIndex::Narrowing* SoundSearchIndex::narrowingFor(std::string_view folded) {
    while (!m_narrowings.empty() && !folded.starts_with(m_narrowings.back().folded)) {
        m_narrowings.pop_back();
    }
    return m_narrowings.empty() ? nullptr : &m_narrowings.back();
}

std::vector<std::size_t> SoundSearchIndex::search(std::string_view query) {
    const std::string folded = SearchFolding::fold(query);
    std::vector<std::size_t> ranked;
    if (folded.empty()) {
        ranked.reserve(size());
        for (std::size_t position = 0; position < size(); ++position) ranked.push_back(position);
        return ranked;
    }
    const Narrowing* earlier = narrowingFor(folded);
    std::vector<std::uint32_t> labelStart;
    std::vector<std::uint32_t> wordStart;
    std::vector<std::uint32_t> inside;
    // Every match in label order, kept for the queries that extend this one.
    std::vector<std::uint32_t> matches;
    auto consider = [&](std::uint32_t position) {
        const Rank found = rank(position, folded);
        if (found != Rank::kNone) matches.push_back(position);
        switch (found) {
            case Rank::kLabelStart:
                labelStart.push_back(position);
                break;
            case Rank::kWordStart:
                wordStart.push_back(position);
                break;
            case Rank::kInside:
                inside.push_back(position);
                break;
            case Rank::kNone:
                break;
        }
    };
    if (earlier != nullptr) {
        for (std::uint32_t position : earlier->matches) consider(position);
    } else {
        for (std::size_t position = 0; position < size(); ++position) {
            consider(static_cast<std::uint32_t>(position));
        }
    }
    ranked.reserve(labelStart.size() + wordStart.size() + inside.size());
    for (const auto* group : {&labelStart, &wordStart, &inside}) {
        ranked.insert(ranked.end(), group->begin(), group->end());
    }
    const bool sameAsEarlier = earlier != nullptr && earlier->folded == folded;
    if (!sameAsEarlier && m_narrowings.size() < kNarrowingsKept) {
        m_narrowings.push_back({folded, std::move(matches)});
    }
    return ranked;
}
