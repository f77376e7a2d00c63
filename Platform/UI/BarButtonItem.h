#pragma once

#include "Action.h"
#include "Object.h"
#include "Platform/Graphics/Image.h"

#include <memory>
#include <optional>

namespace platform {

enum BarButtonSystemItem : int { kBarButtonSystemItemAdd = 4, kBarButtonSystemItemTrash = 16 };
enum BarButtonItemStyle : int { kBarButtonItemStylePlain = 0 };

// A navigation-bar button: an image with a style, or a system item; a target-action.
class BarButtonItem : public Object {
  public:
    static std::shared_ptr<BarButtonItem> initWithImage(std::shared_ptr<Image> image, int style,
                                                        Action action);
    static std::shared_ptr<BarButtonItem> initWithBarButtonSystemItem(int systemItem,
                                                                      Action action);

    const std::shared_ptr<Image>& image() const { return m_image; }
    int style() const { return m_style; }
    std::optional<int> systemItem() const { return m_systemItem; }
    // A name for assistive technology: the one set, else "Add", "Trash", or the
    // image's file name.
    std::string accessibilityName() const;
    void setAccessibilityName(std::string name) { m_accessibilityName = std::move(name); }
    // What assistive technology reads ("Add Air Horn to Favourites"); empty:
    // the name, without an image's file type.
    const std::string& accessibilityLabel() const { return m_accessibilityLabel; }
    void setAccessibilityLabel(std::string label) { m_accessibilityLabel = std::move(label); }
    // A user's tap: runs the action.
    void tap() const { m_action(); }

  private:
    std::shared_ptr<Image> m_image;
    int m_style = kBarButtonItemStylePlain;
    std::optional<int> m_systemItem;
    Action m_action;
    std::string m_accessibilityName;
    std::string m_accessibilityLabel;
};

}  // namespace platform
