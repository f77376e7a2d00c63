#include "Button.h"

#include "LayoutAttributes.h"

namespace platform {

void Button::describeLayoutAttributes(LayoutAttributes<Button>& attributes) {
    attributes.text("title", &Button::setTitle)
        .image("image", &Button::setImage)
        .choice<std::string>("style", &Button::setStyle,
                             {{"rounded", "rounded"}, {"info", "info"}, {"custom", "custom"}})
        .action("action", &Button::setAction);
}

}  // namespace platform
