#pragma once

#include "SPPreference.h"

#include <memory>
#include <optional>
#include <string>

// A keyed view over one preference that fills in defaults for missing keys. Derived
// modules override defaultObjectForKey; a default, once supplied, is stored in the
// preference's dictionary (in memory, until the preference is next written) and the hook
// is not asked for that key again.
//
// Derived modules are made through initWithPreference<Derived>, and take the key in
// their constructor:
//     class Volumes : public SPPreferenceModule {
//     public:
//         Volumes(ConstructionKey key, std::shared_ptr<SPPreference> preference)
//             : SPPreferenceModule(key, std::move(preference)) {}
//         std::optional<platform::PlistValue> defaultObjectForKey(const std::string&) override;
//     };
class SPPreferenceModule {
  protected:
    // Only initWithPreference can make one, so no module exists without a preference.
    class ConstructionKey {
        friend class SPPreferenceModule;
        ConstructionKey() = default;
    };

  public:
    // A module holding `preference` for its whole life; none for a null preference.
    template <class Module = SPPreferenceModule>
    static std::shared_ptr<Module> initWithPreference(std::shared_ptr<SPPreference> preference) {
        if (!preference) return nullptr;
        return std::make_shared<Module>(ConstructionKey(), std::move(preference));
    }

    SPPreferenceModule(ConstructionKey, std::shared_ptr<SPPreference> preference);
    virtual ~SPPreferenceModule() = default;
    SPPreferenceModule(const SPPreferenceModule&) = delete;
    SPPreferenceModule& operator=(const SPPreferenceModule&) = delete;

    const std::shared_ptr<SPPreference>& preference() const { return m_preference; }
    // The held preference's dictionary.
    platform::PlistDictionary& defaultPreference() { return m_preference->data(); }

    // The default for a key the dictionary lacks; none in the base.
    virtual std::optional<platform::PlistValue> defaultObjectForKey(const std::string& key);
    // The stored value; else the hook's default, stored first; else none, nothing stored.
    std::optional<platform::PlistValue> objectForKey(const std::string& key);

  private:
    std::shared_ptr<SPPreference> m_preference;  // never null
};
