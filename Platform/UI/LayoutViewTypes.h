#pragma once

#include "LayoutAttributes.h"
#include "LayoutViewType.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The view types page layouts can name. Each type's attributes are written
// beside its class, in `static void describeLayoutAttributes(LayoutAttributes<T>&)`;
// this registry only lists the types by element name.
class LayoutViewTypes {
  public:
    // The type of elements named `name` ("Label"), or null for a name layouts
    // do not know. `Window` is not among them: only the main window layout
    // makes one.
    static const LayoutViewType* find(std::string_view name);
    // The attributes every view takes (id, frame, alpha, ...), View's own.
    static const LayoutViewType& everyView();

    // The description of T under element name `name`, from T's own attributes.
    template <class T>
    static LayoutViewType describe(std::string name) {
        LayoutViewType type(std::move(name), [] { return std::make_shared<T>(); });
        LayoutAttributes<T> attributes(type);
        T::describeLayoutAttributes(attributes);
        return type;
    }
};

}  // namespace platform
