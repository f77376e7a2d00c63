#include "LayoutViewType.h"

namespace platform {

const LayoutViewType::Apply* LayoutViewType::attribute(std::string_view name) const {
    const auto found = m_attributes.find(name);
    return found == m_attributes.end() ? nullptr : &found->second;
}

void LayoutViewType::addAttribute(std::string name, Apply apply) {
    m_attributes[std::move(name)] = std::move(apply);
}

void LayoutViewType::finishWithoutFrame(View& view) const {
    if (m_withoutFrame) m_withoutFrame(view);
}

}  // namespace platform
