#include "SettingsFileWatcher.h"

#include "Platform/Foundation/UserDefaults.h"

#include <QString>
#include <QStringList>

#include <system_error>

namespace platform {
namespace {

QString toQString(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// `folder`, or the nearest folder above it that exists; empty when none does.
std::filesystem::path nearestExistingFolder(std::filesystem::path folder) {
    std::error_code failed;
    while (!folder.empty()) {
        if (std::filesystem::is_directory(folder, failed)) return folder;
        if (folder == folder.parent_path()) break;
        folder = folder.parent_path();
    }
    return {};
}

}  // namespace

SettingsFileWatcher::SettingsFileWatcher(QObject* parent) : QObject(parent) {
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &SettingsFileWatcher::onChange);
}

void SettingsFileWatcher::watchStandardSettings() {
    m_file = UserDefaults::standardUserDefaults().filePath();
    aim();
}

void SettingsFileWatcher::aim() {
    const std::filesystem::path folder =
        m_file.empty() ? std::filesystem::path() : nearestExistingFolder(m_file.parent_path());
    m_watchingFolder = !folder.empty() && folder == m_file.parent_path();
    const QString wanted = folder.empty() ? QString() : toQString(folder);
    const QStringList watched = m_watcher.directories();
    if (watched.size() == 1 && watched.front() == wanted) return;
    if (!watched.isEmpty()) m_watcher.removePaths(watched);
    if (!wanted.isEmpty()) m_watcher.addPath(wanted);
}

void SettingsFileWatcher::onChange() {
    if (m_file.empty()) return;
    const bool wasWatchingFolder = m_watchingFolder;
    aim();
    // A change in a folder above (another program's settings, say) matters
    // only once it has made the settings folder; one in the settings folder
    // itself, or its removal, always does.
    if (!wasWatchingFolder && !m_watchingFolder) return;
    UserDefaults& store = UserDefaults::standardUserDefaults();
    // Another board's store is not this file's; it gets a watch of its own.
    if (store.filePath() != m_file) return;
    // Adopts what the other copy wrote; this copy's own writes read back unchanged.
    store.synchronize();
    emit settingsReloaded();
}

}  // namespace platform
