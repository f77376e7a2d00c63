#include "Classes/Reference.h"

#include "Platform/Foundation/UserDefaults.h"

using platform::UserDefaults;

void Reference::setBool(bool value, std::string_view key) {
    auto& store = UserDefaults::standardUserDefaults();
    store.setBool(value, key);
    store.synchronize();
}

bool Reference::boolForKey(std::string_view key) {
    return UserDefaults::standardUserDefaults().boolForKey(key);
}

void Reference::setObject(platform::PlistValue value, std::string_view key) {
    auto& store = UserDefaults::standardUserDefaults();
    store.setObject(std::move(value), key);
    store.synchronize();
}

std::optional<platform::PlistValue> Reference::objectForKey(std::string_view key) {
    return UserDefaults::standardUserDefaults().objectForKey(key);
}
