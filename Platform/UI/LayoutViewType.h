#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

class LayoutConnections;
class View;

// One view type as layouts know it: the element name, how to make the view,
// and the attributes of exactly this type (not those of its base classes: a
// TableView takes no contentSize). The attributes every view takes belong to
// the type "View" and are looked up separately (LayoutViewTypes::everyView).
class LayoutViewType {
  public:
    using Make = std::function<std::shared_ptr<View>()>;
    // Applies one attribute's value to a view this type made; throws LayoutError.
    using Apply = std::function<void(const std::shared_ptr<View>& view, std::string_view value,
                                     LayoutConnections& connections)>;
    using Finish = std::function<void(View& view)>;

    LayoutViewType(std::string name, Make make)
        : m_name(std::move(name)), m_make(std::move(make)) {}

    const std::string& name() const { return m_name; }
    std::shared_ptr<View> make() const { return m_make(); }
    // The attribute of this type named `name`, or null.
    const Apply* attribute(std::string_view name) const;
    void addAttribute(std::string name, Apply apply);

    // Runs after the attributes of an element that gave no frame.
    void finishWithoutFrame(View& view) const;
    void setWithoutFrame(Finish finish) { m_withoutFrame = std::move(finish); }

  private:
    std::string m_name;
    Make m_make;
    std::map<std::string, Apply, std::less<>> m_attributes;
    Finish m_withoutFrame;
};

}  // namespace platform
