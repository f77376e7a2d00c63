#pragma once

#include "Action.h"
#include "LayoutError.h"
#include "Object.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

class Image;

// What a view type's layout attributes may ask of the layout being read:
// pictures from its bundle, and connections to its owner. Connections are
// checked at once (a problem throws LayoutError) but made only when the whole
// layout has been read, so a layout that fails connects nothing.
class LayoutConnections {
  public:
    virtual ~LayoutConnections() = default;

    // The picture `fileName` of the layout's bundle; null when it is missing
    // or unreadable (a view then shows none, as a nib's does).
    virtual std::shared_ptr<Image> image(std::string_view fileName) const = 0;

    // The owner's action `name`, handed to `connect` when the layout connects.
    virtual void action(std::string_view name, std::function<void(Action)> connect) = 0;

    // The owner as `Interface` for an attribute such as dataSource="owner"
    // (`owner` is the only value), handed to `connect` (held weakly) when the
    // layout connects. `interfaceName` completes "class X is not <name>".
    template <class Interface>
    void owner(std::string_view attribute, std::string_view value, std::string_view interfaceName,
               std::function<void(std::weak_ptr<Interface>)> connect) {
        auto typed = std::dynamic_pointer_cast<Interface>(heldOwner(attribute, value));
        if (!typed) throw LayoutError(describeOwner() + " is not " + std::string(interfaceName));
        later([connect = std::move(connect), weak = std::weak_ptr<Interface>(typed)] {
            connect(weak);
        });
    }

  protected:
    // The owner, for value "owner" of `attribute`; throws otherwise or when
    // there is no owner held by a shared_ptr.
    virtual std::shared_ptr<Object> heldOwner(std::string_view attribute,
                                              std::string_view value) = 0;
    // "class PlayPage", for problem lines.
    virtual std::string describeOwner() const = 0;
    // Runs `connection` when the layout connects.
    virtual void later(std::function<void()> connection) = 0;
};

}  // namespace platform
