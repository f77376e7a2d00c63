#pragma once

#include "Platform/Graphics/Color.h"
#include "Platform/Graphics/Geometry.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Reads one attribute's value in its format (see LayoutValues) or throws
// LayoutError "bad value "<text>" for <attribute>", the line a reader of the
// layout's log sees.
class LayoutAttributeValue {
  public:
    LayoutAttributeValue(std::string_view attribute, std::string_view text)
        : m_attribute(attribute), m_text(text) {}

    // The numbers a number attribute allows: [minimum, maximum], without the
    // minimum itself when `aboveMinimum` is set.
    struct Range {
        double minimum = 0.0;
        double maximum = 0.0;
        bool aboveMinimum = false;
        // Above 0 and far below anything a screen shows (sizes, heights).
        static constexpr Range positive() { return {0.0, 1e9, true}; }
        // From 0 to 1 (alpha).
        static constexpr Range fraction() { return {0.0, 1.0, false}; }
    };

    std::string_view text() const { return m_text; }
    double number(Range range) const;
    int count() const;
    bool flag() const;
    Color color() const;
    Rect rect() const;
    Size size() const;

    // One of `choices` by its name; a bad value names them all in the line
    // ("... for alignment (left, center or right)").
    template <class Value>
    Value choice(const std::vector<std::pair<std::string, Value>>& choices) const {
        std::vector<std::string_view> names;
        for (const auto& [name, value] : choices) {
            if (name == m_text) return value;
            names.push_back(name);
        }
        refuse(names);
    }

    [[noreturn]] void refuse() const;
    // Ends the line with the allowed names: " (a, b or c)".
    [[noreturn]] void refuse(const std::vector<std::string_view>& allowed) const;

  private:
    std::string_view m_attribute;
    std::string_view m_text;
};

}  // namespace platform
