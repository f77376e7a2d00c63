#include "Bundle.h"

#include "BoardClaims.h"
#include "Log.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <set>
#include <vector>

namespace platform {
namespace {

constexpr std::string_view kDefaultMainLayout = "MainWindow";

struct MainBundleState {
    std::mutex mutex;
    std::optional<std::filesystem::path> chosenFolder;  // from setMainBundlePath
    std::shared_ptr<Bundle> bundle;
};

MainBundleState& mainBundleState() {
    static MainBundleState state;
    return state;
}

bool isDirectory(const std::filesystem::path& folder) {
    std::error_code failed;
    return !folder.empty() && std::filesystem::is_directory(folder, failed);
}

// The installed layout puts the program in <prefix>/bin and the resources in
// <prefix>/<install bundle dir>; finding them from the program's own location
// keeps an installed tree relocatable.
std::optional<std::filesystem::path> installedBundleFolder() {
    std::error_code failed;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failed);
    if (failed || program.empty()) return std::nullopt;
    return program.parent_path() / ".." / SOUNDBOARD_INSTALL_BUNDLE_DIR;
}

std::vector<std::filesystem::path> mainBundleCandidates(
    const std::optional<std::filesystem::path>& chosenFolder) {
    std::vector<std::filesystem::path> candidates;
    if (chosenFolder) candidates.push_back(*chosenFolder);
    if (const char* fromEnvironment = std::getenv("SOUNDBOARD_BUNDLE");
        fromEnvironment != nullptr && *fromEnvironment != '\0') {
        candidates.emplace_back(fromEnvironment);
    }
    if (auto installed = installedBundleFolder()) candidates.push_back(*installed);
    candidates.emplace_back(SOUNDBOARD_SOURCE_BUNDLE_DIR);
    return candidates;
}

// A name part may not leave the folder or address a sub-folder: no separator,
// no NUL, and not a parent reference.
bool isPlainNamePart(std::string_view part) {
    return part.find('/') == std::string_view::npos && part.find('\0') == std::string_view::npos &&
           part != "..";
}

// Absolute and tidy, without a trailing separator, so that bundlePath() compares
// equal however the folder was spelled. Symbolic links are kept as given.
std::filesystem::path canonicalFolderPath(const std::filesystem::path& folder) {
    std::error_code failed;
    std::filesystem::path absolute = std::filesystem::absolute(folder, failed);
    if (failed) absolute = folder;
    absolute = absolute.lexically_normal();
    if (!absolute.has_filename() && absolute.has_relative_path()) absolute = absolute.parent_path();
    return absolute;
}

// Whether the lexically normal `inner` is `outer` or lies below it.
bool isWithin(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    return std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end()).first ==
           outer.end();
}

// Whether `file` is a regular file that lies, after links, inside `realFolder`.
bool isRegularFileInside(const std::filesystem::path& file,
                         const std::filesystem::path& realFolder) {
    std::error_code failed;
    const std::filesystem::path real = std::filesystem::canonical(file, failed);
    return !failed && isWithin(real, realFolder) && std::filesystem::is_regular_file(real, failed);
}

// The folder's Info.plist when it lies inside the folder.
std::optional<PlistDictionary> infoOf(const std::filesystem::path& folder,
                                      const std::filesystem::path& realFolder) {
    if (!isRegularFileInside(folder / "Info.plist", realFolder)) return std::nullopt;
    return PropertyList::readDictionaryFile(folder / "Info.plist");
}

// What a board may take from the application bundle when it lacks it.
bool boardMayInherit(const std::string& fileName) {
    const std::string extension = std::filesystem::path(fileName).extension().string();
    return extension == ".layout" || extension == ".png" || extension == ".html";
}

// Says once per folder and process, when the identifier is first asked for,
// that a bundle's Info.plist names none.
void reportMissingIdentifier(const std::filesystem::path& folder, const std::string& name) {
    static std::mutex mutex;
    static std::set<std::filesystem::path> reported;
    {
        std::lock_guard lock(mutex);
        if (!reported.insert(folder).second) return;
    }
    Log("Bundle " + folder.string() +
        ": its Info.plist names no CFBundleIdentifier; the bundle is known as \"" + name + "\"");
}

// The running program's own file name, for an application without a bundle.
std::string programFileName() {
    std::error_code failed;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", failed);
    std::string name = failed ? std::string() : program.filename().string();
    return name.empty() ? std::string(program_invocation_short_name) : name;
}

}  // namespace

Bundle::Bundle(ConstructionKey, std::filesystem::path folder) : Bundle(std::move(folder)) {}

Bundle::Bundle(std::filesystem::path folder) : m_path(std::move(folder)) {
    std::error_code failed;
    m_realPath = std::filesystem::canonical(m_path, failed);
    if (failed) m_realPath = m_path;
    if (auto info = infoOf(m_path, m_realPath)) m_info = std::move(*info);
}

std::shared_ptr<Bundle> Bundle::bundleWithPath(const std::filesystem::path& folder) {
    if (!isDirectory(folder)) return nullptr;
    return std::make_shared<Bundle>(ConstructionKey{}, canonicalFolderPath(folder));
}

std::shared_ptr<Bundle> Bundle::boardWithPath(const std::filesystem::path& folder,
                                              std::shared_ptr<const Bundle> application) {
    auto board = bundleWithPath(folder);
    if (board) board->m_application = std::move(application);
    return board;
}

bool Bundle::isBoardFolder(const std::filesystem::path& folder) {
    std::error_code failed;
    if (!std::filesystem::is_regular_file(folder / "Data.XML", failed)) return false;
    std::string layout(kDefaultMainLayout);
    const std::filesystem::path realFolder = std::filesystem::canonical(folder, failed);
    if (failed) return false;
    if (auto info = infoOf(folder, realFolder)) {
        auto found = info->find("NSMainNibFile");
        if (found != info->end()) {
            if (const auto* text = found->second.get<std::string>(); text && !text->empty()) {
                layout = *text;
            }
        }
    }
    return !isPlainNamePart(layout) ||
           !std::filesystem::is_regular_file(folder / (layout + ".layout"), failed);
}

std::shared_ptr<Bundle> Bundle::mainBundle() {
    auto& state = mainBundleState();
    std::lock_guard lock(state.mutex);
    if (state.bundle) return state.bundle;
    const auto candidates = mainBundleCandidates(state.chosenFolder);
    for (auto candidate = candidates.begin(); candidate != candidates.end(); ++candidate) {
        auto bundle = bundleWithPath(*candidate);
        if (!bundle) continue;
        if (isBoardFolder(*candidate)) {
            auto application = std::find_if(candidate + 1, candidates.end(), [](const auto& other) {
                return isDirectory(other) && !isBoardFolder(other);
            });
            if (application != candidates.end()) {
                bundle = boardWithPath(*candidate, bundleWithPath(*application));
            }
        }
        state.bundle = std::move(bundle);
        break;
    }
    return state.bundle;
}

void Bundle::setMainBundlePath(std::filesystem::path folder) {
    auto& state = mainBundleState();
    std::lock_guard lock(state.mutex);
    state.chosenFolder = std::move(folder);
    state.bundle.reset();
}

void Bundle::resetMainBundle() {
    auto& state = mainBundleState();
    std::lock_guard lock(state.mutex);
    state.chosenFolder.reset();
    state.bundle.reset();
}

std::optional<std::string> Bundle::pathForResource(std::string_view name,
                                                   std::string_view type) const {
    if (name.empty() && type.empty()) return (m_path / "").string();
    if (!isPlainNamePart(name) || !isPlainNamePart(type)) return std::nullopt;

    std::string fileName(name);
    if (!type.empty()) {
        fileName += '.';
        fileName += type;
    }
    if (fileName == "." || fileName == "..") return std::nullopt;

    std::filesystem::path candidate = m_path / fileName;
    std::error_code failed;
    // Links are followed only as far as they stay inside the folder: a board
    // handed around cannot make the program read /etc/passwd as its banner.
    if (isRegularFileInside(candidate, m_realPath)) return candidate.string();
    if (m_application && boardMayInherit(fileName)) {
        return m_application->pathForResource(name, type);
    }
    return std::nullopt;
}

std::optional<std::string> Bundle::stringForInfoKey(std::string_view key) const {
    auto found = m_info.find(std::string(key));
    if (found != m_info.end()) {
        if (const auto* text = found->second.get<std::string>()) return *text;
    }
    return m_application ? m_application->stringForInfoKey(key) : std::nullopt;
}

std::string Bundle::derivedBoardIdentifier() const {
    // One derived from the board's folder path, so two boards that share a
    // folder name never share a settings store. FNV-1a: stable across runs and
    // builds, unlike std::hash.
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char byte : m_path.string()) {
        hash = (hash ^ byte) * 1099511628211ull;
    }
    static constexpr std::string_view kDigits = "0123456789abcdef";
    std::string derived = m_application->bundleIdentifier() + ".board-";
    for (int shift = 60; shift >= 0; shift -= 4) derived += kDigits[(hash >> shift) & 0xf];
    return derived;
}

std::optional<std::string> Bundle::ownBoardIdentifier() const {
    if (!m_application) return std::nullopt;
    auto found = m_info.find("CFBundleIdentifier");
    const auto* own = found != m_info.end() ? found->second.get<std::string>() : nullptr;
    if (own == nullptr || own->empty()) return std::nullopt;
    const std::string application = m_application->bundleIdentifier();
    const bool reserved = *own == application || own->rfind(application + ".", 0) == 0;
    if (reserved || BoardClaims::belongsElsewhere(application, *own, m_realPath)) {
        LogOnce("Board " + m_path.string() + ": its Info.plist claims the identifier \"" + *own +
                "\", which is " +
                (reserved ? "the application's"
                          : "another board's (" + BoardClaims::file(application).string() + ")") +
                "; its settings are kept under \"" + derivedBoardIdentifier() + "\"");
        return std::nullopt;
    }
    return *own;
}

std::string Bundle::bundleIdentifier() const {
    if (m_application) return ownBoardIdentifier().value_or(derivedBoardIdentifier());
    auto found = m_info.find("CFBundleIdentifier");
    const auto* own = found != m_info.end() ? found->second.get<std::string>() : nullptr;
    if (own && !own->empty()) return *own;
    reportMissingIdentifier(m_path, folderName());
    return folderName();
}

std::string Bundle::bundleName() const {
    // A board's own name, never the application's it falls back on for resources.
    auto found = m_info.find("CFBundleName");
    const auto* name = found != m_info.end() ? found->second.get<std::string>() : nullptr;
    return name && !name->empty() ? *name : folderName();
}

std::string Bundle::folderName() const {
    std::string name = m_path.filename().string();
    return name.empty() || name == "." || name == ".." ? std::string("bundle") : name;
}

// The program's identity stays the application bundle's while a board is open:
// the device id and the kit's folders do not change with the board shown.
std::string Bundle::applicationIdentifier() {
    if (auto bundle = mainBundle()) {
        if (bundle->m_application) return bundle->m_application->bundleIdentifier();
        return bundle->bundleIdentifier();
    }
    return programFileName();
}

std::string Bundle::applicationName() {
    if (auto bundle = mainBundle()) {
        if (bundle->m_application) return bundle->m_application->bundleName();
        return bundle->bundleName();
    }
    return programFileName();
}

std::string Bundle::mainLayoutName() const {
    auto layout = stringForInfoKey("NSMainNibFile");
    return layout && !layout->empty() ? *layout : std::string(kDefaultMainLayout);
}

}  // namespace platform
