#include "SPPreference.h"

#include "SPUtility.h"

#include <mutex>
#include <set>

namespace {

// Class-wide state. The mutex is recursive because the class initialisation makes a
// preference and installs it through the public operations, which take it again.
struct ClassState {
    std::recursive_mutex mutex;
    std::set<std::type_index> initializedClasses;
    std::shared_ptr<SPPreference> mainPreference;
};

ClassState& classState() {
    static ClassState state;
    return state;
}

platform::PlistDictionary loadDictionary(const std::string& path) {
    return platform::PropertyList::readDictionaryFile(path).value_or(platform::PlistDictionary());
}

}  // namespace

SPPreference::SPPreference(ConstructionKey, std::string path) : SPPreference(std::move(path)) {}

SPPreference::SPPreference(std::string path) : m_path(std::move(path)) {
    initializeClass<SPPreference>();
    m_data = loadDictionary(m_path);
}

std::shared_ptr<SPPreference> SPPreference::initWithContentsOfFile(const std::string& path) {
    return std::make_shared<SPPreference>(ConstructionKey(), path);
}

bool SPPreference::writeToFile() const {
    return platform::PropertyList::writeFile(m_path, platform::PlistValue(m_data),
                                             platform::PlistFormat::Binary);
}

void SPPreference::runClassInitializationOnce(std::type_index type) {
    auto& state = classState();
    std::lock_guard lock(state.mutex);
    // A derived class's initialisation comes after its base's, as the base's runs first
    // on any use of the class.
    if (type != std::type_index(typeid(SPPreference))) initializeClass<SPPreference>();
    if (!state.initializedClasses.insert(type).second) return;
    setMainPreference(initWithContentsOfFile(SPUtility::pathForDocument(kMainPreferenceFileName)));
}

std::shared_ptr<SPPreference> SPPreference::mainPreference() {
    initializeClass<SPPreference>();
    auto& state = classState();
    std::lock_guard lock(state.mutex);
    return state.mainPreference;
}

platform::PlistDictionary* SPPreference::mainDictionary() {
    auto preference = mainPreference();
    return preference ? &preference->data() : nullptr;
}

void SPPreference::setMainPreference(std::shared_ptr<SPPreference> preference) {
    initializeClass<SPPreference>();
    auto& state = classState();
    std::lock_guard lock(state.mutex);
    if (state.mainPreference) state.mainPreference->writeToFile();
    state.mainPreference = std::move(preference);
}

void SPPreference::finalize() {
    setMainPreference(nullptr);
}

void SPPreference::resetClassStateForTesting() {
    auto& state = classState();
    std::lock_guard lock(state.mutex);
    state.mainPreference.reset();
    state.initializedClasses.clear();
}
