#pragma once

#include "View.h"

namespace platform {

template <class T>
class LayoutAttributes;

// A view whose content is larger than its frame. Subviews are laid out in
// content coordinates; the content offset says which part is shown.
class ScrollView : public View {
  public:
    using View::View;
    std::string_view typeName() const override { return "ScrollView"; }

    // The attributes layouts may give this type beyond those of every view.
    static void describeLayoutAttributes(LayoutAttributes<ScrollView>& attributes);

    Size contentSize() const { return m_contentSize; }
    virtual void setContentSize(Size size);
    Point contentOffset() const { return m_contentOffset; }
    // Clamped to [0, contentSize - frame size] on each axis.
    virtual void setContentOffset(Point offset);
    // Scrolls by a delta (wheel, drag), clamped as setContentOffset.
    void scrollBy(double dx, double dy) {
        setContentOffset({m_contentOffset.x + dx, m_contentOffset.y + dy});
    }
    // Subviews are placed in content coordinates: what shows at the top-left
    // corner is the content at the offset.
    Point boundsOrigin() const override { return m_contentOffset; }
    // A resize keeps the offset inside the new scrollable range.
    void layoutSubviews() override;

  protected:
    // The offset limited to the scrollable range for the current content and frame size.
    Point clampedOffset(Point offset) const;

    Size m_contentSize{};
    Point m_contentOffset{};
};

}  // namespace platform
