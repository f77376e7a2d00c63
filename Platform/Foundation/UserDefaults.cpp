#include "UserDefaults.h"

#include "BoardClaims.h"
#include "Bundle.h"
#include "DurableFile.h"
#include "FileContents.h"
#include "FileLock.h"
#include "Log.h"
#include "XdgPaths.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>

namespace platform {
namespace {

// XML keeps the file readable for a person looking at their settings, and it
// carries any key's bytes unchanged (the binary form re-encodes text as UTF-16,
// which cannot hold invalid UTF-8).
constexpr PlistFormat kFileFormat = PlistFormat::XML;

struct StandardStore {
    std::mutex mutex;
    std::unique_ptr<UserDefaults> defaults;
};

StandardStore& standardStore() {
    static StandardStore store;
    return store;
}

bool isSafeFolderName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::optional<PlistDictionary> parseDictionary(const std::string& bytes) {
    auto value = PropertyList::fromBytes(bytes);
    if (!value) return std::nullopt;
    auto* dictionary = value->get<PlistDictionary>();
    if (dictionary == nullptr) return std::nullopt;
    return std::move(*dictionary);
}

std::filesystem::path lockFileFor(const std::filesystem::path& file) {
    return file.string() + ".lock";
}

std::string localTimestamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::array<char, 32> text{};
    std::size_t length = std::strftime(text.data(), text.size(), "%Y%m%dT%H%M%S", &local);
    return std::string(text.data(), length);
}

bool pathIsTaken(const std::filesystem::path& path) {
    std::error_code failed;
    return std::filesystem::symlink_status(path, failed).type() !=
           std::filesystem::file_type::not_found;
}

// Starting from `base` (what is on disk), replays this instance's changes:
// keys present in `values` are set, the others were removed.
void applyChanges(PlistDictionary& base, const PlistDictionary& values,
                  const std::set<std::string, std::less<>>& changedKeys) {
    for (const auto& key : changedKeys) {
        auto found = values.find(key);
        if (found != values.end()) {
            base.insert_or_assign(key, found->second);
        } else {
            base.erase(key);
        }
    }
}

}  // namespace

UserDefaults::UserDefaults(std::filesystem::path file) : m_file(std::move(file)) {
    load();
}

std::filesystem::path UserDefaults::standardFilePath() {
    // The open bundle's own store: a board's marks never show in another board.
    const auto bundle = Bundle::mainBundle();
    std::string identifier = bundle ? bundle->bundleIdentifier() : Bundle::applicationIdentifier();
    if (!isSafeFolderName(identifier) && bundle) identifier = bundle->folderName();
    return XdgPaths::configHome() / identifier / (identifier + ".plist");
}

UserDefaults& UserDefaults::standardUserDefaults() {
    auto& store = standardStore();
    std::lock_guard lock(store.mutex);
    if (store.defaults) return *store.defaults;
    store.defaults = std::make_unique<UserDefaults>(standardFilePath());
    const auto bundle = Bundle::mainBundle();
    if (auto own = bundle ? bundle->ownBoardIdentifier() : std::nullopt) {
        store.defaults->m_claim =
            Claim{bundle->applicationBundle()->bundleIdentifier(), *own, bundle->realPath()};
    }
    return *store.defaults;
}

void UserDefaults::resetStandardUserDefaults() {
    auto& store = standardStore();
    std::lock_guard lock(store.mutex);
    store.defaults.reset();
}

bool UserDefaults::acceptsKey(std::string_view key) {
    return key.find('\0') == std::string_view::npos;
}

bool UserDefaults::isUnchangedOnDisk(const FileContents& disk) const {
    if (disk.missing()) return !m_lastDiskBytes;
    return disk.bytes && disk.bytes == m_lastDiskBytes;
}

bool UserDefaults::adopt(FileContents& disk) {
    if (!disk.bytes) return false;
    auto values = parseDictionary(*disk.bytes);
    if (!values) return false;
    m_values = std::move(*values);
    m_lastDiskBytes = std::move(disk.bytes);
    m_fileUnreadable = false;
    return true;
}

void UserDefaults::noteUnreadable(const FileContents& disk) {
    if (m_fileUnreadable) return;
    m_fileUnreadable = true;
    Log("UserDefaults: settings file " + m_file.string() + " could not be read (" +
        std::error_code(disk.error, std::generic_category()).message() +
        "); keeping settings in memory and leaving the file as it is");
}

// Called with the file lock held, so no other process replaces the file
// between the read that found it damaged and the rename.
bool UserDefaults::keepCorruptFileAside(const FileContents& disk) const {
    std::string stem = m_file.string() + ".corrupt-" + localTimestamp();
    std::filesystem::path aside = stem;
    for (int counter = 2; pathIsTaken(aside); ++counter) {
        aside = stem + "-" + std::to_string(counter);
    }
    std::string message = "UserDefaults: settings file " + m_file.string() +
                          (disk.tooLarge() ? " is " + sizeText(disk.size) + ", over the " +
                                                 sizeText(kMaximumFileBytes) + " that is read; "
                                           : " could not be read; ");
    bool keptAside = ::rename(m_file.c_str(), aside.c_str()) == 0;
    if (keptAside) {
        message += "kept aside as " + aside.string();
    } else {
        message += "it could not be kept aside and is left in place";
    }
    Log(message);
    return keptAside;
}

// Only bytes read whole that do not parse make the file damaged. A file that
// merely could not be read (no descriptors left, no permission, an I/O error)
// is left alone: the store works in memory and the next synchronize reads it
// again before it writes anything.
void UserDefaults::load() {
    FileContents disk = readFileContents(m_file, kMaximumFileBytes);
    if (disk.missing() || adopt(disk)) return;
    if (disk.unreadable()) {
        noteUnreadable(disk);
        return;
    }
    // Look again under the lock: another process may be replacing the file.
    FileLock lock(lockFileFor(m_file));
    if (!lock.locked()) {
        disk.outcome = FileContents::Outcome::Unreadable;
        disk.error = errno;
        noteUnreadable(disk);
        return;
    }
    disk = readFileContents(m_file, kMaximumFileBytes);
    if (disk.missing() || adopt(disk)) return;
    if (disk.unreadable()) {
        noteUnreadable(disk);
        return;
    }
    keepCorruptFileAside(disk);
}

namespace {

struct WriteObserverSlot {
    std::mutex mutex;
    UserDefaults::WriteObserver observer;
};

WriteObserverSlot& writeObserverSlot() {
    static WriteObserverSlot slot;
    return slot;
}

// Why the last call failed, from errno, or `fallback` when it says nothing.
std::string errnoReason(const std::string& fallback) {
    const int error = errno;
    return error != 0 ? std::error_code(error, std::generic_category()).message() : fallback;
}

}  // namespace

void UserDefaults::setWriteObserver(WriteObserver observer) {
    auto& slot = writeObserverSlot();
    std::lock_guard guard(slot.mutex);
    slot.observer = std::move(observer);
}

bool UserDefaults::synchronize() {
    std::string failure;
    bool hadChanges = false;
    const bool written = synchronizeGuarded(hadChanges, failure);
    // Only a change that could not be written is the user's loss to hear about.
    if (!hadChanges) return written;
    if (!written) {
        Log("UserDefaults: the settings could not be written to " + m_file.string() + " (" +
            failure + "); the changes are kept and written when they can be");
    }
    WriteObserver observer;
    {
        auto& slot = writeObserverSlot();
        std::lock_guard guard(slot.mutex);
        observer = slot.observer;
    }
    if (observer) observer(written ? std::string() : failure);
    return written;
}

bool UserDefaults::synchronizeGuarded(bool& hadChanges, std::string& failure) {
    std::lock_guard guard(m_mutex);
    hadChanges = !m_changedKeys.empty();
    failure = "the settings file could not be read";
    if (m_changedKeys.empty()) {
        // Nothing to write: adopt what others wrote, without taking the lock
        // (files are only ever replaced whole). Only a damaged file needs it.
        FileContents disk = readFileContents(m_file, kMaximumFileBytes);
        if (isUnchangedOnDisk(disk)) return true;
        if (disk.missing()) {
            m_values.clear();
            m_lastDiskBytes.reset();
            m_fileUnreadable = false;
            return true;
        }
        if (adopt(disk)) return true;
        if (disk.unreadable()) {
            noteUnreadable(disk);
            return false;
        }
    }

    std::error_code failed;
    std::filesystem::create_directories(m_file.parent_path(), failed);
    if (failed) {
        failure = m_file.parent_path().string() + ": " + failed.message();
        return false;
    }
    errno = 0;
    FileLock lock(lockFileFor(m_file));
    if (!lock.locked()) {
        failure = "the lock file could not be taken: " + errnoReason("unknown error");
        return false;
    }
    return synchronizeLocked(failure);
}

bool UserDefaults::synchronizeLocked(std::string& failure) {
    FileContents disk = readFileContents(m_file, kMaximumFileBytes);
    bool mustWrite = !m_changedKeys.empty();
    if (isUnchangedOnDisk(disk)) {
        // Unchanged since this instance last looked: the cache already is the
        // disk plus this instance's changes.
    } else if (disk.unreadable()) {
        // Writing now would replace settings this instance has never seen.
        // The changes stay pending until the file can be read.
        noteUnreadable(disk);
        return false;
    } else if (disk.missing()) {
        PlistDictionary merged;
        applyChanges(merged, m_values, m_changedKeys);
        m_values = std::move(merged);
        m_fileUnreadable = false;
    } else if (auto onDisk = disk.bytes ? parseDictionary(*disk.bytes) : std::nullopt) {
        applyChanges(*onDisk, m_values, m_changedKeys);
        m_values = std::move(*onDisk);
        m_fileUnreadable = false;
    } else {
        // Damaged since this instance last read it: keep it for inspection and
        // write back the last good state this instance knows, with its changes.
        // A damaged file that cannot be kept aside is not replaced either.
        if (!keepCorruptFileAside(disk)) {
            failure = "the damaged settings file could not be kept aside";
            return false;
        }
        disk = FileContents{};
        mustWrite = true;
        m_fileUnreadable = false;
    }

    if (!mustWrite) {
        m_lastDiskBytes = std::move(disk.bytes);
        return true;
    }

    std::string bytes = PropertyList::toBytes(m_values, kFileFormat);
    errno = 0;
    if (bytes.empty() || !writeFileDurably(m_file, bytes)) {
        failure = bytes.empty() ? std::string("the settings could not be encoded")
                                : errnoReason("the file could not be written");
        // The changes stay pending; the next synchronize merges them again.
        m_lastDiskBytes = std::move(disk.bytes);
        return false;
    }
    m_lastDiskBytes = std::move(bytes);
    m_changedKeys.clear();
    if (m_claim) {
        BoardClaims::record(m_claim->applicationIdentifier, m_claim->identifier, m_claim->board);
        m_claim.reset();
    }
    return true;
}

void UserDefaults::setBool(bool value, std::string_view key) {
    setObject(PlistValue(value), key);
}

bool UserDefaults::boolForKey(std::string_view key) const {
    std::lock_guard guard(m_mutex);
    auto found = m_values.find(std::string(key));
    if (found == m_values.end()) return false;
    const PlistValue& value = found->second;
    if (const bool* flag = value.get<bool>()) return *flag;
    if (const std::int64_t* number = value.get<std::int64_t>()) return *number != 0;
    if (const double* real = value.get<double>()) return *real != 0.0;
    if (const std::string* text = value.get<std::string>()) {
        return *text == "YES" || *text == "yes" || *text == "true" || *text == "1";
    }
    return false;
}

void UserDefaults::setObject(PlistValue value, std::string_view key) {
    if (!acceptsKey(key)) return;
    std::lock_guard guard(m_mutex);
    m_values.insert_or_assign(std::string(key), std::move(value));
    m_changedKeys.emplace(key);
}

std::optional<PlistValue> UserDefaults::objectForKey(std::string_view key) const {
    std::lock_guard guard(m_mutex);
    auto found = m_values.find(std::string(key));
    if (found == m_values.end()) return std::nullopt;
    return found->second;
}

void UserDefaults::removeObjectForKey(std::string_view key) {
    if (!acceptsKey(key)) return;
    std::lock_guard guard(m_mutex);
    m_values.erase(std::string(key));
    m_changedKeys.emplace(key);
}

PlistDictionary UserDefaults::dictionaryRepresentation() const {
    std::lock_guard guard(m_mutex);
    return m_values;
}

}  // namespace platform
