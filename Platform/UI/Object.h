#pragma once

#include <memory>

namespace platform {

// The common root of everything a layout can create or connect (views, pages,
// controllers, the application delegate). Always held by std::shared_ptr;
// `self<T>()` gives a shared pointer of the derived type from inside a member.
class Object : public std::enable_shared_from_this<Object> {
  public:
    virtual ~Object() = default;

  protected:
    template <class T>
    std::shared_ptr<T> self() {
        return std::static_pointer_cast<T>(shared_from_this());
    }
    template <class T>
    std::weak_ptr<T> weakSelf() {
        return self<T>();
    }
};

}  // namespace platform
