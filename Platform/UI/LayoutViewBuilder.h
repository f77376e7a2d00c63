#pragma once

#include "LayoutConnections.h"
#include "LayoutDocument.h"
#include "LayoutRegistry.h"
#include "View.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Bundle;
class Image;
class LayoutViewType;
class Window;

// Makes the views of layout elements and checks their connections to the
// owner. Nothing is connected to the owner until `connect`, so a layout that
// fails half-way leaves the owner untouched. Problems throw LayoutError.
class LayoutViewBuilder final : public LayoutConnections {
  public:
    // `owner` and `ownerInfo` may be null: then any outlet, action or delegate
    // attribute is a problem. The bundle (may be null) supplies images.
    LayoutViewBuilder(std::shared_ptr<Bundle> bundle, Object* owner,
                      const LayoutClassInfo* ownerInfo);

    // The view of `element` with its subviews, of a type LayoutViewTypes knows.
    std::shared_ptr<View> build(const LayoutElement& element);
    // The window of a main window layout's `Window` element, with its subviews.
    std::shared_ptr<Window> buildWindow(const LayoutElement& element);

    // Connects every outlet, action, data source and delegate found by build.
    void connect();

    // The first control built whose action attribute names `action`, or null.
    std::shared_ptr<View> controlForAction(std::string_view action) const;

    std::shared_ptr<Image> image(std::string_view fileName) const override;
    void action(std::string_view name, std::function<void(Action)> connect) override;

  protected:
    std::shared_ptr<Object> heldOwner(std::string_view attribute, std::string_view value) override;
    std::string describeOwner() const override;
    void later(std::function<void()> connection) override;

  private:
    struct OutletLink {
        std::string name;
        std::shared_ptr<Object> value;
    };

    void applyAttributes(const std::shared_ptr<View>& view, const LayoutElement& element,
                         const LayoutViewType* type);
    void applyAttribute(const std::shared_ptr<View>& view, std::string_view name,
                        std::string_view value, const LayoutViewType* type);
    void addOutlet(const std::shared_ptr<View>& view, std::string_view name);

    std::shared_ptr<Bundle> m_bundle;
    Object* m_owner;
    const LayoutClassInfo* m_ownerInfo;
    std::vector<OutletLink> m_outlets;
    std::set<std::string, std::less<>> m_connectedOutlets;
    std::vector<std::function<void(Object& owner)>> m_wiring;
    std::map<std::string, std::shared_ptr<View>, std::less<>> m_controlsByAction;
    std::shared_ptr<View> m_view;  // the view whose attributes are being applied
};

}  // namespace platform
