#include "SPSqlFormat.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

struct Directive {
    bool leftAlign = false;
    bool plusSign = false;
    bool spaceSign = false;
    bool alternate = false;
    bool zeroPad = false;
    int width = 0;
    std::optional<int> precision;
    std::string_view length;
    char conversion = 0;
};

// Reads a run of decimal digits; false when it exceeds the allowed field width.
bool readNumber(std::string_view format, std::size_t& at, int& number) {
    number = 0;
    while (at < format.size() && format[at] >= '0' && format[at] <= '9') {
        number = number * 10 + (format[at] - '0');
        if (number > SPSqlFormat::maxFieldWidth) return false;
        ++at;
    }
    return true;
}

// Parses the directive that follows a '%' at `at`; leaves `at` after its conversion character.
std::optional<Directive> readDirective(std::string_view format, std::size_t& at) {
    Directive directive;
    for (; at < format.size(); ++at) {
        const char flag = format[at];
        if (flag == '-') {
            directive.leftAlign = true;
        } else if (flag == '+') {
            directive.plusSign = true;
        } else if (flag == ' ') {
            directive.spaceSign = true;
        } else if (flag == '#') {
            directive.alternate = true;
        } else if (flag == '0') {
            directive.zeroPad = true;
        } else {
            break;
        }
    }
    if (!readNumber(format, at, directive.width)) return std::nullopt;
    if (at < format.size() && format[at] == '.') {
        ++at;
        int precision = 0;
        if (!readNumber(format, at, precision)) return std::nullopt;
        directive.precision = precision;
    }
    static constexpr std::string_view lengths[] = {"hh", "ll", "h", "l", "q", "j", "z", "t", "L"};
    for (std::string_view length : lengths) {
        if (format.substr(at, length.size()) == length) {
            directive.length = length;
            at += length.size();
            break;
        }
    }
    if (at >= format.size()) return std::nullopt;
    directive.conversion = format[at++];
    return directive;
}

// Integers are converted to the width the directive names, exactly as printf would read them.
template <class Signed, class Unsigned>
void convertTo(bool isSigned, unsigned long long& magnitude, bool& negative) {
    if (isSigned) {
        const auto value = static_cast<Signed>(magnitude);
        negative = value < 0;
        magnitude = negative ? 0ULL - static_cast<unsigned long long>(static_cast<long long>(value))
                             : static_cast<unsigned long long>(value);
    } else {
        magnitude = static_cast<Unsigned>(magnitude);
        negative = false;
    }
}

bool convertToLength(std::string_view length, bool isSigned, unsigned long long& magnitude,
                     bool& negative) {
    if (length.empty()) {
        convertTo<int, unsigned int>(isSigned, magnitude, negative);
    } else if (length == "hh") {
        convertTo<signed char, unsigned char>(isSigned, magnitude, negative);
    } else if (length == "h") {
        convertTo<short, unsigned short>(isSigned, magnitude, negative);
    } else if (length == "l") {
        convertTo<long, unsigned long>(isSigned, magnitude, negative);
    } else if (length == "ll" || length == "q") {
        convertTo<long long, unsigned long long>(isSigned, magnitude, negative);
    } else if (length == "j") {
        convertTo<std::intmax_t, std::uintmax_t>(isSigned, magnitude, negative);
    } else if (length == "z") {
        convertTo<std::make_signed_t<std::size_t>, std::size_t>(isSigned, magnitude, negative);
    } else if (length == "t") {
        convertTo<std::ptrdiff_t, std::make_unsigned_t<std::ptrdiff_t>>(isSigned, magnitude,
                                                                        negative);
    } else {
        return false;
    }
    return true;
}

void appendPadded(std::string& out, const Directive& directive, std::string_view prefix,
                  std::string_view body, bool zeroPadAllowed) {
    const std::size_t length = prefix.size() + body.size();
    const std::size_t width = static_cast<std::size_t>(directive.width);
    const std::size_t padding = width > length ? width - length : 0;
    if (directive.leftAlign) {
        out.append(prefix).append(body).append(padding, ' ');
    } else if (directive.zeroPad && zeroPadAllowed) {
        out.append(prefix).append(padding, '0').append(body);
    } else {
        out.append(padding, ' ').append(prefix).append(body);
    }
}

std::string_view signFor(bool negative, const Directive& directive) {
    if (negative) return "-";
    if (directive.plusSign) return "+";
    if (directive.spaceSign) return " ";
    return "";
}

bool appendInteger(std::string& out, const Directive& directive,
                   const SPSqlFormat::Argument& argument) {
    unsigned long long magnitude = 0;
    if (const auto* value = std::get_if<long long>(&argument)) {
        magnitude = static_cast<unsigned long long>(*value);
    } else if (const auto* unsignedValue = std::get_if<unsigned long long>(&argument)) {
        magnitude = *unsignedValue;
    } else {
        return false;
    }
    const char conversion = directive.conversion;
    const bool isSigned = conversion == 'd' || conversion == 'i';
    bool negative = false;
    if (!convertToLength(directive.length, isSigned, magnitude, negative)) return false;

    const int base = conversion == 'o' ? 8 : (conversion == 'x' || conversion == 'X') ? 16 : 10;
    char buffer[72];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, base);
    std::string digits(buffer, result.ptr);
    if (conversion == 'X') {
        for (char& digit : digits) {
            if (digit >= 'a' && digit <= 'f') digit = static_cast<char>(digit - 'a' + 'A');
        }
    }
    if (directive.precision) {
        const auto minimum = static_cast<std::size_t>(*directive.precision);
        if (minimum == 0 && magnitude == 0) digits.clear();
        if (digits.size() < minimum) digits.insert(0, minimum - digits.size(), '0');
    }
    std::string_view prefix = isSigned ? signFor(negative, directive) : "";
    if (directive.alternate && conversion == 'o' && (digits.empty() || digits.front() != '0')) {
        digits.insert(0, 1, '0');
    }
    if (directive.alternate && magnitude != 0 && (conversion == 'x' || conversion == 'X')) {
        prefix = conversion == 'x' ? "0x" : "0X";
    }
    appendPadded(out, directive, prefix, digits, !directive.precision);
    return true;
}

template <class Float>
std::string floatDigits(Float magnitude, std::chars_format style, int precision) {
    std::string digits(static_cast<std::size_t>(precision < 0 ? 0 : precision) + 64, '\0');
    for (;;) {
        const auto result =
            style == std::chars_format::hex && precision < 0
                ? std::to_chars(digits.data(), digits.data() + digits.size(), magnitude, style)
                : std::to_chars(digits.data(), digits.data() + digits.size(), magnitude, style,
                                precision);
        if (result.ec == std::errc()) {
            digits.resize(static_cast<std::size_t>(result.ptr - digits.data()));
            return digits;
        }
        digits.resize(digits.size() * 2);
    }
}

bool appendFloat(std::string& out, const Directive& directive,
                 const SPSqlFormat::Argument& argument) {
    if (!directive.length.empty() && directive.length != "l" && directive.length != "L") {
        return false;
    }
    const char conversion = directive.conversion;
    const char lower = static_cast<char>(conversion | 0x20);
    const std::chars_format style = lower == 'f'   ? std::chars_format::fixed
                                    : lower == 'e' ? std::chars_format::scientific
                                    : lower == 'g' ? std::chars_format::general
                                                   : std::chars_format::hex;
    // Hex without a precision prints the exact value, as printf's %a does.
    const int precision = directive.precision               ? *directive.precision
                          : style == std::chars_format::hex ? -1
                                                            : 6;
    bool negative = false;
    bool finite = true;
    std::string digits;
    auto render = [&](auto value) {
        negative = std::signbit(value);
        finite = std::isfinite(value);
        const auto magnitude = std::fabs(value);
        if (std::isnan(value)) {
            digits = "nan";
        } else if (std::isinf(value)) {
            digits = "inf";
        } else {
            digits = floatDigits(magnitude, style, precision);
        }
    };
    if (const auto* value = std::get_if<double>(&argument)) {
        render(*value);
    } else if (const auto* longValue = std::get_if<long double>(&argument)) {
        render(*longValue);
    } else {
        return false;
    }
    const bool upper = conversion != lower;
    if (upper) {
        for (char& digit : digits) {
            if (digit >= 'a' && digit <= 'z') digit = static_cast<char>(digit - 'a' + 'A');
        }
    }
    std::string prefix(signFor(negative, directive));
    if (style == std::chars_format::hex && finite) prefix += upper ? "0X" : "0x";
    appendPadded(out, directive, prefix, digits, finite);
    return true;
}

bool appendText(std::string& out, const Directive& directive,
                const SPSqlFormat::Argument& argument) {
    const auto* text = std::get_if<std::string_view>(&argument);
    if (text == nullptr || !directive.length.empty()) return false;
    std::string_view body = *text;
    if (directive.precision) body = body.substr(0, static_cast<std::size_t>(*directive.precision));
    appendPadded(out, directive, "", body, false);
    return true;
}

bool appendCharacter(std::string& out, const Directive& directive,
                     const SPSqlFormat::Argument& argument) {
    if (!directive.length.empty()) return false;
    unsigned long long value = 0;
    if (const auto* signedValue = std::get_if<long long>(&argument)) {
        value = static_cast<unsigned long long>(*signedValue);
    } else if (const auto* unsignedValue = std::get_if<unsigned long long>(&argument)) {
        value = *unsignedValue;
    } else {
        return false;
    }
    const char byte = static_cast<char>(static_cast<unsigned char>(value));
    appendPadded(out, directive, "", std::string_view(&byte, 1), false);
    return true;
}

bool appendArgument(std::string& out, const Directive& directive,
                    const SPSqlFormat::Argument& argument) {
    switch (directive.conversion) {
        case 'd':
        case 'i':
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            return appendInteger(out, directive, argument);
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            return appendFloat(out, directive, argument);
        case '@':
        case 's':
            return appendText(out, directive, argument);
        case 'c':
            return appendCharacter(out, directive, argument);
        default:
            return false;
    }
}

}  // namespace

std::optional<std::string> SPSqlFormat::format(std::string_view format,
                                               std::span<const Argument> arguments) {
    std::string out;
    out.reserve(format.size());
    std::size_t next = 0;
    std::size_t at = 0;
    while (at < format.size()) {
        const std::size_t percent = format.find('%', at);
        if (percent == std::string_view::npos) {
            out.append(format.substr(at));
            break;
        }
        out.append(format.substr(at, percent - at));
        at = percent + 1;
        if (at < format.size() && format[at] == '%') {
            out.push_back('%');
            ++at;
            continue;
        }
        const auto directive = readDirective(format, at);
        if (!directive || next >= arguments.size()) return std::nullopt;
        if (!appendArgument(out, *directive, arguments[next++])) return std::nullopt;
    }
    if (next != arguments.size()) return std::nullopt;
    return out;
}
