#include "BarButtonItem.h"

namespace platform {

std::shared_ptr<BarButtonItem> BarButtonItem::initWithImage(std::shared_ptr<Image> image, int style,
                                                            Action action) {
    auto item = std::make_shared<BarButtonItem>();
    item->m_image = std::move(image);
    item->m_style = style;
    item->m_action = std::move(action);
    return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::initWithBarButtonSystemItem(int systemItem,
                                                                          Action action) {
    auto item = std::make_shared<BarButtonItem>();
    item->m_systemItem = systemItem;
    item->m_action = std::move(action);
    return item;
}

std::string BarButtonItem::accessibilityName() const {
    if (!m_accessibilityName.empty()) return m_accessibilityName;
    if (m_systemItem) {
        switch (*m_systemItem) {
            case kBarButtonSystemItemAdd:
                return "Add";
            case kBarButtonSystemItemTrash:
                return "Trash";
            default:
                return {};
        }
    }
    return m_image ? m_image->name() : std::string();
}

}  // namespace platform
