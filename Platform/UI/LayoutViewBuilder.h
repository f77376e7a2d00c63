#pragma once

#include "LayoutDocument.h"
#include "LayoutRegistry.h"
#include "View.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Bundle;
class Image;

// Makes the views of layout elements and checks their connections to the
// owner. Nothing is connected to the owner until `connect`, so a layout that
// fails half-way leaves the owner untouched. Problems throw LayoutError.
class LayoutViewBuilder {
  public:
    // `owner` and `ownerInfo` may be null: then any outlet, action or delegate
    // attribute is a problem. The bundle (may be null) supplies images.
    LayoutViewBuilder(std::shared_ptr<Bundle> bundle, Object* owner,
                      const LayoutClassInfo* ownerInfo);

    // The view of `element` with its subviews. A `Window` element is accepted
    // only when `allowWindow` is set (the main window layout).
    std::shared_ptr<View> build(const LayoutElement& element, bool allowWindow = false);

    // Connects every outlet, action, data source and delegate found by build.
    void connect();

  private:
    using Wiring = std::function<void(Object& owner)>;
    struct OutletLink {
        std::string name;
        std::shared_ptr<Object> value;
    };

    static std::shared_ptr<View> makeView(std::string_view type);
    void applyAttribute(View& view, std::string_view name, std::string_view value);
    bool applyCommonAttribute(View& view, std::string_view name, std::string_view value);
    bool applyTypeAttribute(View& view, std::string_view name, std::string_view value);
    void addOutlet(const std::shared_ptr<View>& view, std::string_view name);
    void addAction(std::string_view name, std::function<void(Action)> setAction);
    template <class Interface>
    std::weak_ptr<Interface> ownerAs(std::string_view attribute, std::string_view value,
                                     std::string_view interfaceName);
    std::shared_ptr<Image> image(std::string_view fileName) const;
    std::string describeOwner() const;

    std::shared_ptr<Bundle> m_bundle;
    Object* m_owner;
    const LayoutClassInfo* m_ownerInfo;
    std::vector<OutletLink> m_outlets;
    std::set<std::string, std::less<>> m_connectedOutlets;
    std::vector<Wiring> m_wiring;
    std::shared_ptr<View> m_view;  // the view whose attributes are being applied
};

}  // namespace platform
