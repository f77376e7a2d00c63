#include "LayoutValues.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace platform::layoutvalues {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<int> hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return std::nullopt;
}

// Splits at commas and parses each part as a number; none unless exactly `count` parts.
std::optional<std::vector<double>> parseNumbers(std::string_view text, std::size_t count) {
    std::vector<double> numbers;
    while (true) {
        std::size_t comma = text.find(',');
        auto number = parseNumber(text.substr(0, comma));
        if (!number) return std::nullopt;
        numbers.push_back(*number);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (numbers.size() != count) return std::nullopt;
    return numbers;
}

}  // namespace

std::optional<Color> parseColor(std::string_view text) {
    if (text.empty() || text.front() != '#') return std::nullopt;
    text.remove_prefix(1);
    std::vector<int> digits;
    for (char c : text) {
        auto digit = hexDigit(c);
        if (!digit) return std::nullopt;
        digits.push_back(*digit);
    }
    std::vector<float> components;
    if (digits.size() == 3) {
        for (int digit : digits) components.push_back(static_cast<float>(digit * 17) / 255.0f);
    } else if (digits.size() == 6 || digits.size() == 8) {
        for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
            components.push_back(static_cast<float>(digits[i] * 16 + digits[i + 1]) / 255.0f);
        }
    } else {
        return std::nullopt;
    }
    if (components.size() == 3) components.push_back(1.0f);
    return Color{components[0], components[1], components[2], components[3]};
}

std::optional<double> parseNumber(std::string_view text) {
    text = trimmed(text);
    if (text.empty()) return std::nullopt;
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> parseCount(std::string_view text) {
    text = trimmed(text);
    if (text.empty()) return std::nullopt;
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

std::optional<bool> parseBool(std::string_view text) {
    text = trimmed(text);
    if (text == "true") return true;
    if (text == "false") return false;
    return std::nullopt;
}

std::optional<Rect> parseRect(std::string_view text) {
    auto numbers = parseNumbers(text, 4);
    if (!numbers || (*numbers)[2] < 0 || (*numbers)[3] < 0) return std::nullopt;
    return Rect{(*numbers)[0], (*numbers)[1], (*numbers)[2], (*numbers)[3]};
}

std::optional<Size> parseSize(std::string_view text) {
    auto numbers = parseNumbers(text, 2);
    if (!numbers || (*numbers)[0] < 0 || (*numbers)[1] < 0) return std::nullopt;
    return Size{(*numbers)[0], (*numbers)[1]};
}

}  // namespace platform::layoutvalues
