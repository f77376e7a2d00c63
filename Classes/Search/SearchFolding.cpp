#include "Classes/Search/SearchFolding.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <limits>

namespace {

// The normalisers, looked up once. Null when ICU cannot load its data, in
// which case text folds to itself (matching still works, only without folding).
struct Normalisers {
    const icu::Normalizer2* caseFold = nullptr;
    const icu::Normalizer2* decompose = nullptr;
    const icu::Normalizer2* compose = nullptr;
};

const Normalisers& normalisers() {
    static const Normalisers shared = [] {
        Normalisers found;
        UErrorCode status = U_ZERO_ERROR;
        found.caseFold = icu::Normalizer2::getNFKCCasefoldInstance(status);
        found.decompose = icu::Normalizer2::getNFDInstance(status);
        found.compose = icu::Normalizer2::getNFCInstance(status);
        if (U_FAILURE(status)) found = Normalisers{};
        return found;
    }();
    return shared;
}

// `text` without its non-spacing marks (accents once decomposed).
icu::UnicodeString withoutMarks(const icu::UnicodeString& text) {
    icu::UnicodeString kept;
    for (int32_t index = 0; index < text.length();) {
        const UChar32 codePoint = text.char32At(index);
        if (u_charType(codePoint) != U_NON_SPACING_MARK) kept.append(codePoint);
        index = text.moveIndex32(index, 1);
    }
    return kept;
}

}  // namespace

std::string SearchFolding::fold(std::string_view text) {
    const Normalisers& icu = normalisers();
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) return {};
    const icu::UnicodeString source = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    if (icu.caseFold == nullptr) {
        std::string same;
        return source.toUTF8String(same);
    }
    // Folded first: folding may itself bring marks (İ folds to i and a dot above).
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString folded = icu.caseFold->normalize(source, status);
    const icu::UnicodeString decomposed = icu.decompose->normalize(folded, status);
    const icu::UnicodeString composed = icu.compose->normalize(withoutMarks(decomposed), status);
    std::string result;
    if (U_FAILURE(status)) return source.toUTF8String(result);
    return composed.toUTF8String(result);
}

bool SearchFolding::startsWord(std::string_view folded, std::size_t offset) {
    if (offset == 0) return true;
    if (offset > folded.size() ||
        offset > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(folded.data());
    // Most labels are ASCII: their letters and digits need no table.
    if (const uint8_t before = bytes[offset - 1]; before < 0x80U) {
        const bool letterOrDigit = (before >= 'a' && before <= 'z') ||
                                   (before >= 'A' && before <= 'Z') ||
                                   (before >= '0' && before <= '9');
        return !letterOrDigit;
    }
    auto at = static_cast<int32_t>(offset);
    UChar32 previous = 0;
    U8_PREV(bytes, 0, at, previous);
    return previous < 0 || !u_isalnum(previous);
}
