#include "BoardSource.h"

#include "Classes/Catalogue/CatalogueWriter.h"
#include "NaturalOrder.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

// Folders nested deeper than this below the source are not read.
constexpr int kMaximumDepth = 64;

bool isHidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name.front() == '.';
}

std::string unreadableName(const fs::path& path) {
    return path.string() +
           ": skipped: its name cannot be stored (not UTF-8, or characters XML cannot hold)";
}

enum class Kind { File, Folder, Skipped };

// A board kept among the sources (one made there earlier, say) holds sounds
// that are already a board's: made again, they would come back as a category.
bool isBoard(const fs::path& folder) {
    std::error_code failed;
    return fs::is_regular_file(folder / "Data.XML", failed) &&
           fs::is_regular_file(folder / "Info.plist", failed);
}

// What an entry of a source is to the scan. Folder links are never followed,
// so a link to "/" cannot send the scan through the whole system; a file link
// is taken when it leads to a regular file. FIFOs, devices and sockets are
// never opened. `reason` says why an entry is skipped.
Kind kindOf(const fs::directory_entry& entry, std::string& reason) {
    std::error_code failed;
    const fs::file_status own = entry.symlink_status(failed);
    if (failed) {
        reason = "cannot be reached (" + failed.message() + ")";
        return Kind::Skipped;
    }
    fs::file_status target = own;
    if (fs::is_symlink(own)) {
        target = fs::status(entry.path(), failed);
        if (fs::is_directory(target)) {
            reason = "a link to a folder, which is not followed";
            return Kind::Skipped;
        }
        if (fs::is_regular_file(target)) return Kind::File;
        reason = failed ? "a link that leads nowhere (" + failed.message() + ")"
                        : "a link to something that is not a regular file";
        return Kind::Skipped;
    }
    switch (own.type()) {
        case fs::file_type::regular:
            return Kind::File;
        case fs::file_type::directory:
            if (isBoard(entry.path())) {
                reason =
                    "a board (it holds Data.XML and Info.plist), whose sounds are not "
                    "made into another";
                return Kind::Skipped;
            }
            return Kind::Folder;
        case fs::file_type::fifo:
            reason = "a FIFO, not a regular file";
            break;
        case fs::file_type::socket:
            reason = "a socket, not a regular file";
            break;
        case fs::file_type::block:
        case fs::file_type::character:
            reason = "a device, not a regular file";
            break;
        default:
            reason = "not a regular file";
    }
    return Kind::Skipped;
}

// Adds the file when its name can be a label; otherwise notes why not.
void addFile(const fs::path& path, std::vector<SourceFile>& files,
             std::vector<std::string>& skipped) {
    std::string label = path.stem().string();
    if (!CatalogueWriter::canHold(label)) {
        skipped.push_back(unreadableName(path));
        return;
    }
    files.push_back(SourceFile{path, std::move(label)});
}

// One folder's visible entries: files added, sub-folders handed to
// `onFolder`, everything else noted in `skipped`.
template <class OnFolder>
void listFolder(const fs::path& folder, std::vector<SourceFile>& files,
                std::vector<std::string>& skipped, const media::CancellationFlag& cancellation,
                OnFolder onFolder) {
    std::error_code failed;
    fs::directory_iterator list(folder, failed);
    if (failed) {
        skipped.push_back(folder.string() + ": skipped: cannot be listed (" + failed.message() +
                          ")");
        return;
    }
    for (const fs::directory_iterator end; list != end && !cancellation.isCancelled();
         list.increment(failed)) {
        if (isHidden(list->path())) continue;
        std::string reason;
        switch (kindOf(*list, reason)) {
            case Kind::File:
                addFile(list->path(), files, skipped);
                break;
            case Kind::Folder:
                onFolder(list->path());
                break;
            case Kind::Skipped:
                skipped.push_back(list->path().string() + ": skipped: " + reason);
                break;
        }
    }
    if (failed) {
        skipped.push_back(folder.string() + ": listing stopped (" + failed.message() + ")");
    }
}

void collectBelow(const fs::path& folder, int depth, std::vector<SourceFile>& files,
                  std::vector<std::string>& skipped, const media::CancellationFlag& cancellation) {
    listFolder(folder, files, skipped, cancellation, [&](const fs::path& inner) {
        if (depth >= kMaximumDepth) {
            skipped.push_back(inner.string() + ": skipped: nested deeper than " +
                              std::to_string(kMaximumDepth) + " folders");
            return;
        }
        collectBelow(inner, depth + 1, files, skipped, cancellation);
    });
}

// Every visible file below `folder`, at any depth, in natural order of the
// path below `folder`.
std::vector<SourceFile> filesBelow(const fs::path& folder, std::vector<std::string>& skipped,
                                   const media::CancellationFlag& cancellation) {
    std::vector<SourceFile> files;
    collectBelow(folder, 1, files, skipped, cancellation);
    std::sort(files.begin(), files.end(), [&](const SourceFile& a, const SourceFile& b) {
        return naturallyBefore(a.path.lexically_relative(folder).string(),
                               b.path.lexically_relative(folder).string());
    });
    return files;
}

}  // namespace

std::size_t SourceScan::fileCount() const {
    std::size_t count = 0;
    for (const auto& category : categories) count += category.files.size();
    return count;
}

SourceScan SourceScan::ofFolder(const fs::path& folder,
                                const media::CancellationFlag& cancellation) {
    SourceScan scan;
    std::error_code failed;
    const fs::path canonical = fs::weakly_canonical(folder, failed);
    const std::string title = (failed ? folder : canonical).filename().string();

    SourceCategory topLevel{title, {}};
    std::vector<fs::path> subFolders;
    listFolder(folder, topLevel.files, scan.skipped, cancellation,
               [&](const fs::path& inner) { subFolders.push_back(inner); });
    std::sort(topLevel.files.begin(), topLevel.files.end(),
              [](const SourceFile& a, const SourceFile& b) {
                  return naturallyBefore(a.path.filename().string(), b.path.filename().string());
              });
    std::sort(subFolders.begin(), subFolders.end(), [](const fs::path& a, const fs::path& b) {
        return naturallyBefore(a.filename().string(), b.filename().string());
    });

    if (!topLevel.files.empty()) {
        if (CatalogueWriter::canHold(topLevel.title)) {
            scan.categories.push_back(std::move(topLevel));
        } else {
            scan.skipped.push_back(unreadableName(folder));
        }
    }
    for (const auto& subFolder : subFolders) {
        if (cancellation.isCancelled()) break;
        SourceCategory category{subFolder.filename().string(),
                                filesBelow(subFolder, scan.skipped, cancellation)};
        if (category.files.empty()) continue;
        if (!CatalogueWriter::canHold(category.title)) {
            scan.skipped.push_back(unreadableName(subFolder));
            continue;
        }
        scan.categories.push_back(std::move(category));
    }
    return scan;
}
