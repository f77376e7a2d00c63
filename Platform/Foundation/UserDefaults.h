#pragma once

#include "FileContents.h"
#include "PropertyList.h"

#include <filesystem>
#include <functional>
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
// A file whose bytes were read whole but do not parse is damaged: it is kept
// aside as "<file>.corrupt-<timestamp>", logged once, and the store starts
// empty. If the file turns damaged later, a synchronize keeps it aside the same
// way and writes out what this instance holds, so the last good settings
// survive. A file that merely cannot be read (no descriptors left, no
// permission, an I/O error, a read failing half way) is not damaged: it is
// logged once, left as it is, and the store works in memory. Each synchronize
// reads it again under the lock; while it still cannot be read, nothing is
// written (it would replace settings this instance has never seen) and
// synchronize returns false with the changes pending.
//
// A file larger than kMaximumFileBytes counts as damaged (it is kept aside
// the same way, with a line saying why), so a store never costs more than a
// bounded read and parse. A file that is a symbolic link is written through:
// the link stays and the file it leads to is replaced.
//
// Keys are exact text ("007" and "7" are different keys). A key holding a NUL
// cannot be stored in a property-list file; writes under such a key are ignored.
// Changes not synchronized before the instance goes away are lost.
class UserDefaults {
  public:
    // A settings file holds a boolean per sound; this is some 100,000 of them.
    static constexpr std::uintmax_t kMaximumFileBytes = std::uintmax_t{4} << 20;

    explicit UserDefaults(std::filesystem::path file);

    // The application's store: $XDG_CONFIG_HOME/<application identifier>/
    // <application identifier>.plist, the identifier from the main bundle's Info.plist.
    // Created on first use; safe to call from any thread.
    static UserDefaults& standardUserDefaults();
    // An identifier that is empty, "." or "..", or holds "/" or a NUL, would name
    // a folder elsewhere; the bundle folder's own name is used instead.
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
    // False when the file could not be read or written (the changes stay pending,
    // and a line says why, every time).
    bool synchronize();

    // Told after each synchronize that had changes to write, on the thread that
    // called it: an empty text when they were written, else why not ("Not a
    // directory", "No space left on device"). One observer for every store.
    using WriteObserver = std::function<void(const std::string& failure)>;
    static void setWriteObserver(WriteObserver observer);

  private:
    void load();
    bool synchronizeGuarded(bool& hadChanges, std::string& failure);
    bool synchronizeLocked(std::string& failure);
    // True when the damaged file was renamed aside; false leaves it in place.
    bool keepCorruptFileAside(const FileContents& disk) const;
    // True when `disk` is what this instance last read or wrote.
    bool isUnchangedOnDisk(const FileContents& disk) const;
    // Takes the file's dictionary when its bytes were read whole and parse.
    bool adopt(FileContents& disk);
    // Logs once per spell of unreadability.
    void noteUnreadable(const FileContents& disk);
    static bool acceptsKey(std::string_view key);

    // A board's claim on the identifier its store is named after, recorded
    // with the first write (see BoardClaims).
    struct Claim {
        std::string applicationIdentifier;
        std::string identifier;
        std::filesystem::path board;
    };

    std::filesystem::path m_file;
    std::optional<Claim> m_claim;
    mutable std::mutex m_mutex;
    PlistDictionary m_values;
    std::set<std::string, std::less<>> m_changedKeys;  // set or removed since the last synchronize
    // The file's bytes as this instance last read or wrote them (none: no file).
    // Equal bytes on disk mean nobody else has written since.
    std::optional<std::string> m_lastDiskBytes;
    // The file was there but could not be read the last time this instance
    // looked: the cache lacks whatever it holds.
    bool m_fileUnreadable = false;
};

}  // namespace platform
