#include "BoardStaging.h"

#include "BoardBanner.h"
#include "BoardIdentity.h"

#include "Platform/Foundation/FileDescriptor.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

namespace fs = std::filesystem;

namespace {

// Hidden, and short enough beside any name a folder may have: a name of up to
// 255 bytes keeps its first 200 (whole UTF-8 characters) here.
std::string stagingPrefix(const fs::path& destination) {
    std::string name = destination.filename().string();
    if (name.size() > 200) {
        std::size_t keep = 200;
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
        name.resize(keep);
    }
    return "." + name + ".making-";
}

fs::path absoluteDestination(const fs::path& destination) {
    std::error_code failed;
    fs::path absolute = fs::absolute(destination, failed).lexically_normal();
    if (!absolute.has_filename() && absolute.has_relative_path()) absolute = absolute.parent_path();
    return absolute;
}

bool processIsGone(std::string_view pidText) {
    char* end = nullptr;
    const std::string text(pidText);
    const long pid = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool isDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What the board maker (or the grower, for its hidden files) writes in a
// board: the catalogue, Info.plist, the banner page it marked as its own and
// the numbered sounds, all plain files.
// Links and folders are never its own.
bool isMakersFile(const fs::directory_entry& entry) {
    std::error_code failed;
    if (!entry.is_regular_file(failed) || entry.is_symlink(failed)) return false;
    const std::string name = entry.path().filename().string();
    if (name == "Data.XML" || name == "Info.plist") return true;
    if (name == BoardBanner::kFileName) return BoardBanner::isMakersBanner(entry.path());
    const fs::path path(name);
    if (path.extension() != ".aiff") return false;
    const std::string stem = path.stem().string();
    return isDigits(stem) || stem.rfind(".import-", 0) == 0 || stem.rfind(".adding-", 0) == 0;
}

// Removes the maker's files in `folder` and then the folder itself, which
// only goes when nothing else is left in it. True when it is gone.
bool removeMakersFolder(const fs::path& folder) {
    std::error_code failed;
    for (fs::directory_iterator list(folder, failed), end; !failed && list != end;
         list.increment(failed)) {
        std::error_code ignored;
        if (isMakersFile(*list)) fs::remove(list->path(), ignored);
    }
    return ::rmdir(folder.c_str()) == 0 || errno == ENOENT;
}

// Staging folders of builds for the same destination whose process died.
void removeAbandonedStaging(const fs::path& destination) {
    const std::string prefix = stagingPrefix(destination);
    std::error_code failed;
    for (fs::directory_iterator list(destination.parent_path(), failed), end;
         !failed && list != end; list.increment(failed)) {
        const std::string name = list->path().filename().string();
        if (name.rfind(prefix, 0) != 0) continue;
        const std::string_view rest = std::string_view(name).substr(prefix.size());
        const auto dash = rest.find('-');
        if (dash == std::string_view::npos || !processIsGone(rest.substr(0, dash))) continue;
        // A build killed just after the exchange left the old board here, perhaps
        // with files that are the user's: those stay.
        removeMakersFolder(list->path());
    }
}

void syncFolder(const fs::path& folder) {
    platform::FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) ::fsync(fd.get());
}

std::string randomSuffix() {
    std::random_device entropy;
    return std::to_string(entropy() % 1000000000u);
}

}  // namespace

BoardStaging::BoardStaging(PassKey, fs::path destination, fs::path folder)
    : m_destination(std::move(destination)), m_folder(std::move(folder)) {}

BoardStaging::~BoardStaging() {
    if (m_committed) return;
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}

std::optional<std::string> BoardStaging::destinationProblem(const fs::path& destination) {
    const fs::path absolute = absoluteDestination(destination);
    std::error_code failed;
    const auto status = fs::symlink_status(absolute, failed);
    if (!fs::exists(status)) {
        if (!fs::is_directory(absolute.parent_path(), failed)) {
            return "the folder " + absolute.parent_path().string() + " does not exist";
        }
        return std::nullopt;
    }
    if (!fs::is_directory(status)) return destination.string() + " exists and is not a folder";
    if (fs::is_empty(absolute, failed) && !failed) return std::nullopt;
    if (BoardIdentity::wasMadeByBoardMaker(absolute)) return std::nullopt;
    return destination.string() +
           " exists and is neither an empty folder nor a board made by --make-board; "
           "nothing in it is replaced";
}

std::unique_ptr<BoardStaging> BoardStaging::begin(const fs::path& destination, std::string& error) {
    const fs::path absolute = absoluteDestination(destination);
    removeAbandonedStaging(absolute);
    const std::string stem = stagingPrefix(absolute) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 16; ++attempt) {
        fs::path folder = absolute.parent_path() / (stem + randomSuffix());
        if (::mkdir(folder.c_str(), 0755) == 0) {
            return std::make_unique<BoardStaging>(PassKey{}, absolute, std::move(folder));
        }
        if (errno != EEXIST) break;
    }
    error = "cannot create a folder beside " + destination.string() + ": " + std::strerror(errno);
    return nullptr;
}

bool BoardStaging::commit(std::string& error) {
    syncFolder(m_folder);
    std::error_code failed;
    const bool replacesBoard =
        fs::is_directory(m_destination, failed) && !fs::is_empty(m_destination, failed);
    std::optional<fs::path> oldBoard;
    if (!replacesBoard) {
        // rename(2) also replaces an empty folder in one step.
        if (::rename(m_folder.c_str(), m_destination.c_str()) != 0) {
            error = "cannot move the board into place: " + std::string(std::strerror(errno));
            return false;
        }
    } else if (::renameat2(AT_FDCWD, m_folder.c_str(), AT_FDCWD, m_destination.c_str(),
                           RENAME_EXCHANGE) != 0) {
        // Without an atomic exchange there is a moment with no board at the destination,
        // but never a half one.
        const fs::path aside = m_folder.string() + ".old";
        if (::rename(m_destination.c_str(), aside.c_str()) != 0) {
            error = "cannot move the old board aside: " + std::string(std::strerror(errno));
            return false;
        }
        if (::rename(m_folder.c_str(), m_destination.c_str()) != 0) {
            error = "cannot move the board into place: " + std::string(std::strerror(errno));
            ::rename(aside.c_str(), m_destination.c_str());
            return false;
        }
        oldBoard = aside;
    } else {
        // The staging name now holds the old board.
        oldBoard = m_folder;
    }
    m_committed = true;
    if (oldBoard) takeOverFrom(*oldBoard);
    syncFolder(m_destination.parent_path());
    return true;
}

void BoardStaging::takeOverFrom(const fs::path& oldBoard) {
    std::error_code failed;
    for (fs::directory_iterator list(oldBoard, failed), end; !failed && list != end;
         list.increment(failed)) {
        if (isMakersFile(*list)) continue;
        // Never over anything: the new board holds only the maker's names. A
        // banner of the user's own is the one exception: it takes the place of
        // the one the maker wrote.
        const fs::path target = m_destination / list->path().filename();
        const bool banner = list->path().filename() == BoardBanner::kFileName &&
                            BoardBanner::isMakersBanner(target);
        ::renameat2(AT_FDCWD, list->path().c_str(), AT_FDCWD, target.c_str(),
                    banner ? 0 : RENAME_NOREPLACE);
    }
    syncFolder(m_destination);
    if (!removeMakersFolder(oldBoard)) m_keptOldBoard = oldBoard;
}
