#pragma once

#include "Action.h"
#include "LayoutAttributeValue.h"
#include "LayoutConnections.h"
#include "LayoutViewType.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class Image;

// The typed builder a view class uses in its
// `static void describeLayoutAttributes(LayoutAttributes<T>&)`, written beside
// the class, to say which attributes layouts may give it and how each is read.
// A setter is anything callable as setter(T&, value): usually a member
// function pointer (&Label::setText).
template <class T>
class LayoutAttributes {
  public:
    explicit LayoutAttributes(LayoutViewType& type) : m_type(type) {}

    // The general form: `apply` reads the value itself (throwing LayoutError).
    using Apply = std::function<void(const std::shared_ptr<T>& view, std::string_view value,
                                     LayoutConnections& connections)>;
    LayoutAttributes& attribute(std::string name, Apply apply) {
        m_type.addAttribute(
            std::move(name),
            [apply = std::move(apply)](const std::shared_ptr<View>& view, std::string_view value,
                                       LayoutConnections& connections) {
                apply(std::static_pointer_cast<T>(view), value, connections);
            });
        return *this;
    }

    // Text as written.
    template <class Setter>
    LayoutAttributes& text(std::string name, Setter setter) {
        return read(std::move(name), setter,
                    [](const LayoutAttributeValue& value) { return std::string(value.text()); });
    }
    template <class Setter>
    LayoutAttributes& flag(std::string name, Setter setter) {
        return read(std::move(name), setter,
                    [](const LayoutAttributeValue& value) { return value.flag(); });
    }
    template <class Setter>
    LayoutAttributes& number(std::string name, Setter setter, LayoutAttributeValue::Range range) {
        return read(std::move(name), setter,
                    [range](const LayoutAttributeValue& value) { return value.number(range); });
    }
    template <class Setter>
    LayoutAttributes& count(std::string name, Setter setter) {
        return read(std::move(name), setter,
                    [](const LayoutAttributeValue& value) { return value.count(); });
    }
    template <class Setter>
    LayoutAttributes& color(std::string name, Setter setter) {
        return read(std::move(name), setter,
                    [](const LayoutAttributeValue& value) { return value.color(); });
    }
    template <class Setter>
    LayoutAttributes& rect(std::string name, Setter setter) {
        return read(std::move(name), setter,
                    [](const LayoutAttributeValue& value) { return value.rect(); });
    }
    template <class Setter>
    LayoutAttributes& size(std::string name, Setter setter) {
        return read(std::move(name), setter,
                    [](const LayoutAttributeValue& value) { return value.size(); });
    }
    // One of a few names, each standing for a value.
    template <class Value, class Setter>
    LayoutAttributes& choice(std::string name, Setter setter,
                             std::vector<std::pair<std::string, Value>> choices) {
        return read(std::move(name), setter,
                    [choices = std::move(choices)](const LayoutAttributeValue& value) {
                        return value.choice(choices);
                    });
    }
    // A picture of the layout's bundle by file name; none when it is missing.
    template <class Setter>
    LayoutAttributes& image(std::string name, Setter setter) {
        return attribute(std::move(name),
                         [setter](const std::shared_ptr<T>& view, std::string_view value,
                                  LayoutConnections& connections) {
                             std::invoke(setter, *view, connections.image(value));
                         });
    }
    // An action of the owner, by name.
    template <class Setter>
    LayoutAttributes& action(std::string name, Setter setter) {
        return attribute(std::move(name),
                         [setter](const std::shared_ptr<T>& view, std::string_view value,
                                  LayoutConnections& connections) {
                             connections.action(value, [view, setter](Action action) {
                                 std::invoke(setter, *view, std::move(action));
                             });
                         });
    }
    // The owner as `Interface` (value "owner"), held weakly by the view.
    template <class Interface, class Setter>
    LayoutAttributes& owner(std::string name, std::string interfaceName, Setter setter) {
        return attribute(name, [name, interfaceName, setter](const std::shared_ptr<T>& view,
                                                             std::string_view value,
                                                             LayoutConnections& connections) {
            connections.owner<Interface>(name, value, interfaceName,
                                         [view, setter](std::weak_ptr<Interface> owner) {
                                             std::invoke(setter, *view, std::move(owner));
                                         });
        });
    }

    // What the view does when its element gives no frame.
    LayoutAttributes& withoutFrame(std::function<void(T& view)> finish) {
        m_type.setWithoutFrame(
            [finish = std::move(finish)](View& view) { finish(static_cast<T&>(view)); });
        return *this;
    }

  private:
    template <class Setter, class Reader>
    LayoutAttributes& read(std::string name, Setter setter, Reader reader) {
        return attribute(name, [name, setter, reader](const std::shared_ptr<T>& view,
                                                      std::string_view text, LayoutConnections&) {
            std::invoke(setter, *view, reader(LayoutAttributeValue(name, text)));
        });
    }

    LayoutViewType& m_type;
};

}  // namespace platform
