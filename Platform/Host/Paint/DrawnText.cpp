#include "DrawnText.h"

namespace platform {

QString DrawnText::of(std::string_view text, qsizetype maximumCharacters) {
    // No character takes more than four bytes: the rest is never converted.
    const auto room = static_cast<std::size_t>(maximumCharacters) * 4;
    const std::string_view head = text.substr(0, room);
    QString drawn = QString::fromUtf8(head.data(), static_cast<qsizetype>(head.size()));
    if (drawn.size() <= maximumCharacters && head.size() == text.size()) return drawn;
    qsizetype keep = std::min(drawn.size(), maximumCharacters);
    // Never half a surrogate pair.
    if (keep > 0 && drawn.at(keep - 1).isHighSurrogate()) --keep;
    drawn.truncate(keep);
    return drawn + QChar(0x2026);
}

}  // namespace platform
