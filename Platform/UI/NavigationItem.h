#pragma once

#include "BarButtonItem.h"
#include "View.h"

#include <memory>
#include <string>

namespace platform {

// What a page shows in the navigation bar while it is on top. Owns its title
// view and bar buttons.
class NavigationItem {
  public:
    const std::string& title() const { return m_title; }
    void setTitle(std::string title) { m_title = std::move(title); }
    const std::shared_ptr<View>& titleView() const { return m_titleView; }
    void setTitleView(std::shared_ptr<View> view) { m_titleView = std::move(view); }
    const std::shared_ptr<BarButtonItem>& leftBarButtonItem() const { return m_left; }
    void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item) { m_left = std::move(item); }
    const std::shared_ptr<BarButtonItem>& rightBarButtonItem() const { return m_right; }
    void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item) { m_right = std::move(item); }

  private:
    std::string m_title;
    std::shared_ptr<View> m_titleView;
    std::shared_ptr<BarButtonItem> m_left;
    std::shared_ptr<BarButtonItem> m_right;
};

}  // namespace platform
