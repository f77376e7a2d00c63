#include "SPPreference.h"

#include "SPUtility.h"

#include "Platform/Foundation/FileContents.h"
#include "Platform/Foundation/Log.h"

#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>

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

// The file's dictionary when its bytes were read whole and parse as one; none
// when they were read whole and do not (that file is malformed).
std::optional<platform::PlistDictionary> parseDictionary(const std::string& bytes) {
    auto value = platform::PropertyList::fromBytes(bytes);
    if (!value) return std::nullopt;
    auto* dictionary = value->get<platform::PlistDictionary>();
    if (dictionary == nullptr) return std::nullopt;
    return std::move(*dictionary);
}

void logUnreadable(const std::string& path, int error) {
    platform::Log("SPPreference: file " + path + " could not be read (" +
                  std::error_code(error, std::generic_category()).message() +
                  "); it will not be replaced until it can be");
}

}  // namespace

SPPreference::SPPreference(ConstructionKey, std::string path) : SPPreference(std::move(path)) {}

SPPreference::SPPreference(std::string path) : m_path(std::move(path)) {
    initializeClass<SPPreference>();
    platform::FileContents file = platform::readFileContents(m_path);
    if (file.bytes) {
        m_data = parseDictionary(*file.bytes).value_or(platform::PlistDictionary());
    } else if (file.unreadable()) {
        m_fileUnseen = true;
        logUnreadable(m_path, file.error);
    }
}

std::shared_ptr<SPPreference> SPPreference::initWithContentsOfFile(const std::string& path) {
    return std::make_shared<SPPreference>(ConstructionKey(), path);
}

bool SPPreference::adoptUnseenFile() {
    platform::FileContents file = platform::readFileContents(m_path);
    if (file.unreadable()) return false;
    if (file.bytes) {
        // What was set since creation wins; the file supplies everything else.
        if (auto onDisk = parseDictionary(*file.bytes)) m_data.merge(*onDisk);
    }
    m_fileUnseen = false;
    return true;
}

bool SPPreference::writeToFile() {
    // Replacing a file never read would lose whatever it holds.
    if (m_fileUnseen && !adoptUnseenFile()) return false;
    const std::filesystem::path target(m_path);
    // The documents folder always exists where this store comes from, but a fresh XDG home
    // may not have made it yet; without it the main preference could never be saved.
    if (target.parent_path() == std::filesystem::path(SPUtility::pathForDocument(""))) {
        std::error_code ignored;
        std::filesystem::create_directories(target.parent_path(), ignored);
    }
    // Binary keeps every value exactly but needs well-formed UTF-8; XML carries any other
    // text too, at the price of whole-second dates, which beats keeping none of the data.
    const platform::PlistValue contents(m_data);
    const auto format =
        platform::PropertyList::canRepresent(contents, platform::PlistFormat::Binary)
            ? platform::PlistFormat::Binary
            : platform::PlistFormat::XML;
    return platform::PropertyList::writeFile(target, contents, format);
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
