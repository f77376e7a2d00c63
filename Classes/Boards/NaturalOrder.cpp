#include "NaturalOrder.h"

#include <cstddef>

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char folded(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// -1, 0 or 1 for the digit runs at the front of both texts, which advance past them.
int compareNumbers(std::string_view& left, std::string_view& right) {
    auto takeRun = [](std::string_view& text) {
        std::size_t end = 0;
        while (end < text.size() && isDigit(text[end])) ++end;
        std::string_view run = text.substr(0, end);
        text.remove_prefix(end);
        std::size_t zeros = 0;
        while (zeros + 1 < run.size() && run[zeros] == '0') ++zeros;
        return run.substr(zeros);
    };
    const std::string_view a = takeRun(left);
    const std::string_view b = takeRun(right);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int byDigits = a.compare(b);
    return byDigits < 0 ? -1 : (byDigits > 0 ? 1 : 0);
}

int naturalCompare(std::string_view left, std::string_view right) {
    while (!left.empty() && !right.empty()) {
        if (isDigit(left.front()) && isDigit(right.front())) {
            if (const int order = compareNumbers(left, right); order != 0) return order;
            continue;
        }
        const auto a = static_cast<unsigned char>(folded(left.front()));
        const auto b = static_cast<unsigned char>(folded(right.front()));
        if (a != b) return a < b ? -1 : 1;
        left.remove_prefix(1);
        right.remove_prefix(1);
    }
    if (left.empty() != right.empty()) return left.empty() ? -1 : 1;
    return 0;
}

}  // namespace

bool naturallyBefore(std::string_view left, std::string_view right) {
    const int order = naturalCompare(left, right);
    if (order != 0) return order < 0;
    return left < right;
}
