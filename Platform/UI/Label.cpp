#include "Label.h"

#include "LayoutAttributes.h"

namespace platform {

void Label::describeLayoutAttributes(LayoutAttributes<Label>& attributes) {
    attributes.text("text", &Label::setText)
        .number("fontSize", &Label::setFontSize, LayoutAttributeValue::Range::positive())
        .flag("bold", &Label::setBold)
        .choice<int>("alignment", &Label::setTextAlignment,
                     {{"left", kTextAlignmentLeft},
                      {"center", kTextAlignmentCenter},
                      {"right", kTextAlignmentRight}})
        .color("textColor", &Label::setTextColor)
        .count("lines", &Label::setNumberOfLines);
}

}  // namespace platform
