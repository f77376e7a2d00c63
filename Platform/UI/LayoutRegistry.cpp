#include "LayoutRegistry.h"

#include <cxxabi.h>

#include <cstdlib>

namespace platform {
namespace {

struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};

// Registered classes by name. Entries are never erased, so a pointer handed out
// by find() stays valid for the life of the process.
std::map<std::string, LayoutClassInfo, std::less<>>& registeredClasses() {
    static std::map<std::string, LayoutClassInfo, std::less<>> classes;
    return classes;
}

}  // namespace

std::string LayoutClassInfo::unqualifiedTypeName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, FreeDeleter> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status));
    std::string name = status == 0 && demangled ? std::string(demangled.get()) : type.name();
    // Drop the namespaces of the class itself, not those inside template arguments.
    std::size_t end = name.find('<');
    std::size_t separator = name.rfind("::", end == std::string::npos ? std::string::npos : end);
    return separator == std::string::npos ? name : name.substr(separator + 2);
}

bool LayoutClassInfo::connectOutlet(Object& owner, std::string_view name,
                                    const std::shared_ptr<Object>& value) const {
    auto found = m_outlets.find(name);
    if (found == m_outlets.end() || !value) return false;
    return found->second.connect(owner, value);
}

bool LayoutClassInfo::outletAccepts(std::string_view name,
                                    const std::shared_ptr<Object>& value) const {
    auto found = m_outlets.find(name);
    if (found == m_outlets.end() || !value) return false;
    return !found->second.accepts || found->second.accepts(value);
}

Action LayoutClassInfo::makeAction(Object& owner, std::string_view name) const {
    auto found = m_actions.find(name);
    // An owner not held by a shared_ptr cannot be a weak target.
    if (found == m_actions.end() || owner.weak_from_this().expired()) return Action();
    return found->second(owner);
}

const LayoutClassInfo* LayoutRegistry::find(std::string_view className) {
    auto& classes = registeredClasses();
    auto found = classes.find(className);
    return found == classes.end() ? nullptr : &found->second;
}

void LayoutRegistry::add(std::string name, LayoutClassInfo info) {
    auto& classes = registeredClasses();
    auto found = classes.find(name);
    if (found != classes.end()) {
        found->second = std::move(info);
    } else {
        classes.emplace(std::move(name), std::move(info));
    }
}

}  // namespace platform
