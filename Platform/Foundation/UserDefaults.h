#pragma once

#include "PropertyList.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace platform {

// A per-user, per-application map of property-list values, kept in a
// property-list file and cached in memory: reads never touch the disk.
//
// `synchronize` makes every change durable before it returns. Several processes
// may share the file: synchronize takes an exclusive lock on a sibling lock
// file, re-reads the file, applies only the keys this instance changed since
// its last synchronize, writes durably, and adopts what the others wrote.
// A file that cannot be read is kept aside as "<file>.corrupt-<timestamp>",
// logged once, and the store starts empty.
class UserDefaults {
public:
    explicit UserDefaults(std::filesystem::path file);

    // The application's store: $XDG_CONFIG_HOME/<application identifier>/
    // <application identifier>.plist, the identifier from the main bundle's Info.plist.
    static UserDefaults& standardUserDefaults();
    static std::filesystem::path standardFilePath();
    // Drops the shared store so the next standardUserDefaults() opens afresh
    // (from the current HOME). For tests; no reference to the old one may be kept.
    static void resetStandardUserDefaults();

    const std::filesystem::path& filePath() const { return m_file; }

    void setBool(bool value, std::string_view key);
    // YES for a stored boolean true, a non-zero number, or the texts "YES", "yes",
    // "true", "1"; NO for everything else and for an absent key.
    bool boolForKey(std::string_view key) const;
    void setObject(PlistValue value, std::string_view key);
    std::optional<PlistValue> objectForKey(std::string_view key) const;
    void removeObjectForKey(std::string_view key);
    PlistDictionary dictionaryRepresentation() const;

    // Writes pending changes durably and picks up other processes' writes.
    // False when the file could not be written (the changes stay pending).
    bool synchronize();

private:
    void load();
    std::filesystem::path m_file;
    mutable std::mutex m_mutex;
    PlistDictionary m_values;
    std::set<std::string, std::less<>> m_changedKeys;  // set or removed since the last synchronize
};

}  // namespace platform
