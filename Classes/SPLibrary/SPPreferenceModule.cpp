#include "SPPreferenceModule.h"

SPPreferenceModule::SPPreferenceModule(ConstructionKey, std::shared_ptr<SPPreference> preference)
    : m_preference(std::move(preference)) {}

std::optional<platform::PlistValue> SPPreferenceModule::defaultObjectForKey(const std::string&) {
    return std::nullopt;
}

std::optional<platform::PlistValue> SPPreferenceModule::objectForKey(const std::string& key) {
    if (auto found = defaultPreference().find(key); found != defaultPreference().end()) {
        return found->second;
    }
    auto fallback = defaultObjectForKey(key);
    if (!fallback) return std::nullopt;
    // The hook may have touched the dictionary, so it is fetched afresh; the hook's
    // answer is what gets stored.
    auto& dictionary = defaultPreference();
    auto [stored, inserted] = dictionary.insert_or_assign(key, std::move(*fallback));
    return stored->second;
}
