#include "LayoutAttributeValue.h"

#include "LayoutError.h"
#include "LayoutValues.h"

namespace platform {
namespace {

template <class T>
T present(const std::optional<T>& value, const LayoutAttributeValue& attribute) {
    if (!value) attribute.refuse();
    return *value;
}

}  // namespace

double LayoutAttributeValue::number(Range range) const {
    const double number = present(layoutvalues::parseNumber(m_text), *this);
    if (number < range.minimum || number > range.maximum ||
        (range.aboveMinimum && number == range.minimum)) {
        refuse();
    }
    return number;
}

int LayoutAttributeValue::count() const {
    return present(layoutvalues::parseCount(m_text), *this);
}

bool LayoutAttributeValue::flag() const {
    return present(layoutvalues::parseBool(m_text), *this);
}

Color LayoutAttributeValue::color() const {
    return present(layoutvalues::parseColor(m_text), *this);
}

Rect LayoutAttributeValue::rect() const {
    return present(layoutvalues::parseRect(m_text), *this);
}

Size LayoutAttributeValue::size() const {
    return present(layoutvalues::parseSize(m_text), *this);
}

void LayoutAttributeValue::refuse() const {
    throw LayoutError("bad value \"" + std::string(m_text) + "\" for " + std::string(m_attribute));
}

void LayoutAttributeValue::refuse(const std::vector<std::string_view>& allowed) const {
    std::string names;
    for (std::size_t index = 0; index < allowed.size(); ++index) {
        if (index > 0) names += index + 1 == allowed.size() ? " or " : ", ";
        names += allowed[index];
    }
    throw LayoutError("bad value \"" + std::string(m_text) + "\" for " + std::string(m_attribute) +
                      " (" + names + ")");
}

}  // namespace platform
