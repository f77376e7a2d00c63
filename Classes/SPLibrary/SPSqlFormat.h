#pragma once

#include "SPSqlStatement.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

// The printf-like formatting behind SPSqlite3::queryWithFormat, without ever handing a runtime
// format to printf: the format is parsed here and every argument is captured with its C++ type,
// so a directive can never read an argument of another type.
//
// Directives: "%@" and "%s" take a text (std::string, std::string_view, a C string or an
// SPSqlStatement); "%d %i" print an integer as signed, "%u %o %x %X" as unsigned, "%c" one byte
// of an integer; "%f %F %e %E %g %G %a %A" take a floating-point number; "%%" is a percent sign.
// Flags "-+ #0", a width and a precision work as in printf. Integer length modifiers
// (hh h l ll q j z t) convert the value to that width first, as printf would read it: "%d" of
// 4294967295u prints -1 and "%u" of -1 prints 4294967295. Floating-point directives accept
// l and L and print the argument at its own precision. '#' only changes %o, %x and %X.
//
// Any other directive ("%n", "%p", "%*d", "%1$d", a lone '%' at the end), a directive whose
// argument has the wrong kind, a null C string, a width or precision above maxFieldWidth, or a
// count of arguments that differs from the count of directives gives no text.
class SPSqlFormat {
  public:
    // Captured with the lifetime of the call: texts are borrowed, not copied.
    struct NullText {};
    using Argument = std::variant<std::string_view, long long, unsigned long long, double,
                                  long double, NullText>;

    static constexpr int maxFieldWidth = 4096;

    template <class T>
    static Argument argument(const T& value) {
        if constexpr (std::is_same_v<T, SPSqlStatement>) {
            return std::string_view(value.string());
        } else if constexpr (std::is_same_v<T, bool>) {
            return static_cast<unsigned long long>(value);
        } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
            return static_cast<long long>(value);
        } else if constexpr (std::is_integral_v<T>) {
            return static_cast<unsigned long long>(value);
        } else if constexpr (std::is_same_v<T, long double>) {
            return value;
        } else if constexpr (std::is_floating_point_v<T>) {
            return static_cast<double>(value);
        } else {
            static_assert(!std::is_same_v<T, std::nullptr_t>, "a null pointer is no text");
            static_assert(std::is_convertible_v<const T&, std::string_view>,
                          "format arguments are texts, integers or floating-point numbers");
            if constexpr (std::is_convertible_v<const T&, const char*>) {
                const char* chars = value;
                if (chars == nullptr) return NullText{};
                return std::string_view(chars);
            } else {
                return std::string_view(value);
            }
        }
    }

    // The formatted text, or none when the format and the arguments do not match.
    static std::optional<std::string> format(std::string_view format,
                                             std::span<const Argument> arguments);
};
