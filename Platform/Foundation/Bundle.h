#pragma once

#include "PropertyList.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A resource folder standing in for the application bundle.
class Bundle {
    // Lets bundleWithPath use make_shared while construction stays private.
    struct ConstructionKey {
        explicit ConstructionKey() = default;
    };

  public:
    Bundle(ConstructionKey, std::filesystem::path folder);

    // None when `folder` is not a directory.
    static std::shared_ptr<Bundle> bundleWithPath(const std::filesystem::path& folder);

    // The main bundle, found in this order: the folder given to setMainBundlePath
    // (the command line's --bundle DIR), $SOUNDBOARD_BUNDLE, the installed share
    // folder next to the executable (../share/soundboard/Resources), the source
    // tree's Resources/. None when none of them exists.
    static std::shared_ptr<Bundle> mainBundle();
    static void setMainBundlePath(std::filesystem::path folder);
    // Forgets the chosen main bundle; the next mainBundle() looks again. For tests.
    static void resetMainBundle();
    // The running application's identifier and name: the main bundle's, or the
    // program's file name for both when there is no main bundle.
    static std::string applicationIdentifier();
    static std::string applicationName();

    const std::filesystem::path& bundlePath() const { return m_path; }

    // Full path of "<name>.<type>" (or "<name>" for an empty type) when that file
    // exists in the folder as a regular file (or a link to one). A name or type
    // holding "/" or a NUL, or being "..", gives none: a lookup never reaches
    // outside the folder.
    // Both empty is a special case: the bundle folder followed by "/", so that a
    // caller that deletes the last path component and appends "/<file>" gets
    // "<bundle>/<file>".
    std::optional<std::string> pathForResource(std::string_view name, std::string_view type) const;

    // Info.plist of the folder; empty when missing or unreadable.
    const PlistDictionary& infoDictionary() const { return m_info; }
    std::optional<std::string> stringForInfoKey(std::string_view key) const;
    // CFBundleIdentifier, else folderName() (a folder without one says so in the
    // log, once per process, the first time its identifier is asked for).
    std::string bundleIdentifier() const;
    // CFBundleName, else folderName().
    std::string bundleName() const;
    // The bundle folder's own name ("Boards/Cats" gives "Cats"); "bundle" for a
    // folder whose path names none (the file system root).
    std::string folderName() const;
    // NSMainNibFile, else "MainWindow".
    std::string mainLayoutName() const;

  private:
    explicit Bundle(std::filesystem::path folder);
    std::filesystem::path m_path;
    PlistDictionary m_info;
};

}  // namespace platform
