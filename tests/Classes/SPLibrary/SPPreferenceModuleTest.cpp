#include "Classes/SPLibrary/SPPreferenceModule.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <map>

using platform::PlistDictionary;
using platform::PlistValue;

namespace {

const bool kResetsClassState = [] {
    sbtest::addResetHook([] { SPPreference::resetClassStateForTesting(); });
    return true;
}();

// Supplies a default for keys starting with "volume", and counts how often it is asked.
class VolumeModule : public SPPreferenceModule {
  public:
    VolumeModule(ConstructionKey key, std::shared_ptr<SPPreference> preference)
        : SPPreferenceModule(key, std::move(preference)) {}

    std::optional<PlistValue> defaultObjectForKey(const std::string& key) override {
        ++asked[key];
        if (key.rfind("volume", 0) != 0) return std::nullopt;
        return PlistValue(0.75);
    }

    std::map<std::string, int> asked;
};

std::shared_ptr<SPPreference> preferenceAt(const char* name) {
    return SPPreference::initWithContentsOfFile((sbtest::tempDir() / name).string());
}

}  // namespace

TEST(SPPreferenceModuleTest, BaseModuleAnswersStoredValuesOnlyAndStoresNothing) {
    ASSERT_TRUE(kResetsClassState);
    auto preference = preferenceAt("p.plist");
    preference->data()["present"] = PlistValue("here");
    auto module = SPPreferenceModule::initWithPreference(preference);
    ASSERT_TRUE(module);
    EXPECT_EQ(module->preference(), preference);
    EXPECT_EQ(&module->defaultPreference(), &preference->data());

    EXPECT_EQ(module->objectForKey("present"), PlistValue("here"));
    for (const char* missing : {"absent", "", "volume"}) {
        EXPECT_EQ(module->defaultObjectForKey(missing), std::nullopt);
        EXPECT_EQ(module->objectForKey(missing), std::nullopt) << missing;
    }
    EXPECT_EQ(preference->data(), (PlistDictionary{{"present", PlistValue("here")}}));
}

TEST(SPPreferenceModuleTest, HookDefaultIsStoredOnceThenFoundWithoutAsking) {
    auto preference = preferenceAt("p.plist");
    auto module = SPPreferenceModule::initWithPreference<VolumeModule>(preference);
    ASSERT_TRUE(module);

    struct Lookup {
        const char* key;
        std::optional<PlistValue> answer;
        int askedSoFar;
    };
    const Lookup lookups[] = {
        {"volumeMusic", PlistValue(0.75), 1},
        {"volumeMusic", PlistValue(0.75), 1},
        {"theme", std::nullopt, 1},
        {"theme", std::nullopt, 2},  // no default is stored, so the hook is asked again
    };
    for (const auto& lookup : lookups) {
        EXPECT_EQ(module->objectForKey(lookup.key), lookup.answer) << lookup.key;
        EXPECT_EQ(module->asked[lookup.key], lookup.askedSoFar) << lookup.key;
    }
    EXPECT_EQ(preference->data(), (PlistDictionary{{"volumeMusic", PlistValue(0.75)}}));

    // A stored value wins over the hook, and the stored default reaches the file on write.
    preference->data()["volumeEffects"] = PlistValue(0.1);
    EXPECT_EQ(module->objectForKey("volumeEffects"), PlistValue(0.1));
    EXPECT_EQ(module->asked.count("volumeEffects"), 0u);
    ASSERT_TRUE(preference->writeToFile());
    EXPECT_EQ(preferenceAt("p.plist")->data().at("volumeMusic"), PlistValue(0.75));
}

TEST(SPPreferenceModuleTest, ModuleHoldsItsPreferenceForItsWholeLife) {
    std::weak_ptr<SPPreference> watch;
    {
        auto module = SPPreferenceModule::initWithPreference(preferenceAt("p.plist"));
        ASSERT_TRUE(module);
        watch = module->preference();
        EXPECT_FALSE(watch.expired());
    }
    EXPECT_TRUE(watch.expired());
    EXPECT_FALSE(SPPreferenceModule::initWithPreference(nullptr));
    EXPECT_FALSE(SPPreferenceModule::initWithPreference<VolumeModule>(nullptr));
}
