#pragma once

#include "Action.h"
#include "Object.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

namespace platform {

// What one class offers to layouts: how to make it, and its outlets and actions
// by name. A layout may connect only what is declared here.
class LayoutClassInfo {
  public:
    using Connect = std::function<bool(Object& owner, const std::shared_ptr<Object>& value)>;
    // Whether an outlet's declared type takes `value`, asked before anything is connected.
    using Accepts = std::function<bool(const std::shared_ptr<Object>& value)>;
    using MakeAction = std::function<Action(Object& owner)>;

    // The registered name; for a class described but not registered, its C++ name
    // without namespaces ("PlayPage").
    std::string className;
    // The C++ type described; layouts compare it to tell whether an `owner` fits.
    const std::type_info* type = nullptr;
    std::function<std::shared_ptr<Object>()> create;

    // The C++ name of `type` without namespaces, for log lines and default class names.
    static std::string unqualifiedTypeName(const std::type_info& type);

    // False when `name` is not declared or `value` has the wrong type.
    bool connectOutlet(Object& owner, std::string_view name,
                       const std::shared_ptr<Object>& value) const;
    // True when `name` is declared and its type takes `value` (true when the
    // declaration gave no way to ask).
    bool outletAccepts(std::string_view name, const std::shared_ptr<Object>& value) const;
    bool hasOutlet(std::string_view name) const { return m_outlets.contains(name); }
    bool hasAction(std::string_view name) const { return m_actions.contains(name); }
    // An action bound to `owner` (held weakly); empty when `name` is not declared.
    Action makeAction(Object& owner, std::string_view name) const;

    void addOutlet(std::string name, Connect connect, Accepts accepts = nullptr) {
        m_outlets[std::move(name)] = Outlet{std::move(connect), std::move(accepts)};
    }
    void addAction(std::string name, MakeAction make) {
        m_actions[std::move(name)] = std::move(make);
    }

  private:
    struct Outlet {
        Connect connect;
        Accepts accepts;
    };
    std::map<std::string, Outlet, std::less<>> m_outlets;
    std::map<std::string, MakeAction, std::less<>> m_actions;
};

// The typed builder a class uses in its `static void describeLayout(LayoutClass<T>&)`.
template <class T>
class LayoutClass {
  public:
    explicit LayoutClass(LayoutClassInfo& info) : m_info(info) {}

    template <class M>
    LayoutClass& outlet(std::string name, std::shared_ptr<M> T::*member) {
        m_info.addOutlet(
            std::move(name),
            [member](Object& owner, const std::shared_ptr<Object>& value) {
                auto typed = std::dynamic_pointer_cast<M>(value);
                if (!typed) return false;
                static_cast<T&>(owner).*member = std::move(typed);
                return true;
            },
            [](const std::shared_ptr<Object>& value) {
                return std::dynamic_pointer_cast<M>(value) != nullptr;
            });
        return *this;
    }

    LayoutClass& action(std::string name, void (T::*method)()) {
        m_info.addAction(std::move(name), [method](Object& owner) {
            return Action(std::static_pointer_cast<T>(owner.shared_from_this()), method);
        });
        return *this;
    }

  private:
    LayoutClassInfo& m_info;
};

// Classes by name, for layouts that create objects (the main window layout
// creates the application delegate and the root page). Registration is explicit:
// the application registers its classes at start.
class LayoutRegistry {
  public:
    // The description of T, built once from T::describeLayout.
    template <class T>
    static const LayoutClassInfo& infoFor() {
        static const LayoutClassInfo info = [] {
            LayoutClassInfo built;
            built.className = LayoutClassInfo::unqualifiedTypeName(typeid(T));
            built.type = &typeid(T);
            built.create = [] { return std::static_pointer_cast<Object>(std::make_shared<T>()); };
            LayoutClass<T> builder(built);
            T::describeLayout(builder);
            return built;
        }();
        return info;
    }

    template <class T>
    static void registerClass(std::string name) {
        LayoutClassInfo info = infoFor<T>();
        info.className = name;
        add(std::move(name), std::move(info));
    }

    // The registered class of that name, or null. The description stays at the
    // same address for the life of the process (registering a name again
    // replaces its contents in place).
    static const LayoutClassInfo* find(std::string_view className);

  private:
    static void add(std::string name, LayoutClassInfo info);
};

}  // namespace platform
