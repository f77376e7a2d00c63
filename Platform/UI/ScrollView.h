#pragma once

#include "View.h"

namespace platform {

// A view whose content is larger than its frame. Subviews are laid out in
// content coordinates; the content offset says which part is shown.
class ScrollView : public View {
public:
    using View::View;
    std::string_view typeName() const override { return "ScrollView"; }

    Size contentSize() const { return m_contentSize; }
    virtual void setContentSize(Size size);
    Point contentOffset() const { return m_contentOffset; }
    // Clamped to [0, contentSize - frame size] on each axis.
    virtual void setContentOffset(Point offset);
    // Scrolls by a delta (wheel, drag), clamped as setContentOffset.
    void scrollBy(double dx, double dy) { setContentOffset({m_contentOffset.x + dx, m_contentOffset.y + dy}); }

protected:
    Size m_contentSize{};
    Point m_contentOffset{};
};

}  // namespace platform
