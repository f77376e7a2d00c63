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
    // A board: a folder of the user's own sounds that holds only what it needs
    // (Data.XML, the sounds, perhaps Info.plist, ad.html and images). Whatever
    // it lacks is looked up in `application`. None when `folder` is not a directory.
    static std::shared_ptr<Bundle> boardWithPath(const std::filesystem::path& folder,
                                                 std::shared_ptr<const Bundle> application);
    // A folder holding Data.XML but not its own main window layout.
    static bool isBoardFolder(const std::filesystem::path& folder);

    // The main bundle, found in this order: the folder given to setMainBundlePath
    // (the command line's --bundle DIR), $SOUNDBOARD_BUNDLE, the installed share
    // folder next to the executable (../share/soundboard/Resources), the source
    // tree's Resources/. None when none of them exists. When the folder found is a
    // board, the first of the others that is not a board backs its lookups.
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
    // exists in the folder as a regular file, or as a link that leads (through
    // any number of links) to a regular file inside the folder. A name or type
    // holding "/" or a NUL, or being "..", gives none: a lookup never reaches
    // outside the folder.
    // Both empty is a special case: the bundle folder followed by "/", so that a
    // caller that deletes the last path component and appends "/<file>" gets
    // "<bundle>/<file>".
    // A board answers from its own folder first, then from the application
    // bundle for what a board may inherit: layouts, pictures (".png") and the
    // banner page (".html"). Never a sound or a catalogue: a board's sounds
    // are its own or none.
    std::optional<std::string> pathForResource(std::string_view name, std::string_view type) const;
    // The bundle backing a board's lookups; null for any other bundle.
    const std::shared_ptr<const Bundle>& applicationBundle() const { return m_application; }

    // Info.plist of the folder; empty when missing or unreadable.
    const PlistDictionary& infoDictionary() const { return m_info; }
    // A board's own key, else the application bundle's.
    std::optional<std::string> stringForInfoKey(std::string_view key) const;
    // CFBundleIdentifier of the folder's own Info.plist; else, for a board, the
    // application's identifier with a suffix derived from the board's folder path
    // (boards never share a settings store); else folderName() (a folder without
    // one says so in the log, once per process, the first time it is asked).
    // A board may not claim the application's identifier, one under it (as the
    // derived ones are), or one that another board holds (see BoardClaims): it
    // then gets the derived one, and the log says so once.
    std::string bundleIdentifier() const;
    // For a board that keeps its settings under the identifier of its own
    // Info.plist: that identifier, to be recorded as its claim once its
    // settings are written. None otherwise.
    std::optional<std::string> ownBoardIdentifier() const;
    // The folder with every link resolved (bundlePath() when it cannot be).
    const std::filesystem::path& realPath() const { return m_realPath; }
    // CFBundleName of the folder's own Info.plist, else folderName().
    std::string bundleName() const;
    // The bundle folder's own name ("Boards/Cats" gives "Cats"); "bundle" for a
    // folder whose path names none (the file system root).
    std::string folderName() const;
    // NSMainNibFile, else "MainWindow".
    std::string mainLayoutName() const;

  private:
    explicit Bundle(std::filesystem::path folder);
    std::string derivedBoardIdentifier() const;

    std::filesystem::path m_path;
    std::filesystem::path m_realPath;
    PlistDictionary m_info;
    std::shared_ptr<const Bundle> m_application;  // set for boards only
};

}  // namespace platform
