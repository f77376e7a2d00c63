// Feeds arbitrary bytes to the text parsers of SPUtility and checks what each promises:
// the expression parts put back together give the input, a colour is either none or has
// every component within 0..1, the hex reader agrees with strtoul, and digests and
// file-name escapes have their fixed shapes.
#include "Classes/SPLibrary/SPUtility.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool isLowerHex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

bool isAnyHex(std::string_view text) {
    return text.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
}

void checkExpression(std::string_view text) {
    const auto parts = SPUtility::valueByExpression(text);
    const std::string& value = parts.at("value");
    const std::string& unit = parts.at("unit");
    require(value + unit == text);
    require(value.find_first_not_of("0123456789.") == std::string::npos);
    require(unit.empty() ||
            std::string_view("0123456789.").find(unit.front()) == std::string_view::npos);
}

void checkColor(std::string_view text) {
    const auto color = SPUtility::colorByHtmlColor(text);
    const bool readable =
        text == "clear" ||
        (!text.empty() && text.front() == '#' &&
         (text.size() == 4 || text.size() == 5 || text.size() == 7 || text.size() == 9) &&
         isAnyHex(text.substr(1)));
    require(color.has_value() == readable);
    if (!color) return;
    for (float component : {color->red, color->green, color->blue, color->alpha}) {
        require(component >= 0.0f && component <= 1.0f);
    }
}

void checkHex(std::string_view text) {
    const std::uint32_t number = SPUtility::numberByHexademical(text);
    if (!isLowerHex(text)) {
        require(number == 0xffffffffu);
        return;
    }
    const std::string lastDigits(text.substr(text.size() > 8 ? text.size() - 8 : 0));
    const unsigned long expected =
        lastDigits.empty() ? 0 : std::strtoul(lastDigits.c_str(), nullptr, 16);
    require(number == expected);
}

void checkShapes(std::string_view text) {
    require(SPUtility::stringWithMD5(text).size() == 32);
    require(SPUtility::digestBySHA1(text).size() == 20);
    const std::string encoded = SPUtility::stringByURLEncoding(text);
    require(encoded.find('/') == std::string::npos);
    require(encoded.find(' ') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkExpression(text);
    checkColor(text);
    checkHex(text);
    checkShapes(text);
    return 0;
}
