#pragma once

#include <QFileSystemWatcher>
#include <QObject>

#include <filesystem>

namespace platform {

// Brings the application's settings store up to date when another running
// copy of the program writes the settings file, so that the next page to
// appear shows that copy's marks. The file's folder is watched (through the
// system's file notifications, never by polling), not the file: every copy
// writes durably, renaming a new file over the old one, which a watch on the
// old file would not follow. While the folder does not exist yet, the nearest
// folder above it that does is watched until it appears.
//
// The store is found anew at each change (UserDefaults::standardUserDefaults),
// never kept: the window may open another board with a store of its own.
class SettingsFileWatcher : public QObject {
    Q_OBJECT

  public:
    explicit SettingsFileWatcher(QObject* parent = nullptr);

    // Watches the file of the application's current settings store.
    void watchStandardSettings();
    // The settings file watched; empty before watchStandardSettings.
    const std::filesystem::path& file() const { return m_file; }

  signals:
    // The store has been brought up to date after a change on disk.
    void settingsReloaded();

  private:
    void aim();
    void onChange();

    QFileSystemWatcher m_watcher;
    std::filesystem::path m_file;
    // Whether the watch is on the settings folder itself, not a folder above it.
    bool m_watchingFolder = false;
};

}  // namespace platform
