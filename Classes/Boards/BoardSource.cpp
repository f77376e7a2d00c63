#include "BoardSource.h"

#include "CatalogueWriter.h"
#include "NaturalOrder.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

bool isHidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name.front() == '.';
}

std::string unreadableName(const fs::path& path) {
    return path.string() + ": skipped: its name cannot be stored (not UTF-8 or control characters)";
}

bool isRegularFile(const fs::directory_entry& entry) {
    std::error_code failed;
    return entry.is_regular_file(failed);
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

// Every visible file below `folder`, at any depth, in natural order of the
// path below `folder`. Folder links are not followed, so a loop cannot trap the scan.
std::vector<SourceFile> filesBelow(const fs::path& folder, std::vector<std::string>& skipped) {
    std::vector<SourceFile> files;
    std::error_code failed;
    fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied,
                                          failed);
    if (failed) {
        skipped.push_back(folder.string() + ": skipped: cannot be listed (" + failed.message() +
                          ")");
        return files;
    }
    for (auto end = fs::recursive_directory_iterator(); walk != end; walk.increment(failed)) {
        if (failed) {
            skipped.push_back(folder.string() + ": listing stopped (" + failed.message() + ")");
            break;
        }
        if (isHidden(walk->path())) {
            if (walk->is_directory(failed)) walk.disable_recursion_pending();
            continue;
        }
        if (isRegularFile(*walk)) addFile(walk->path(), files, skipped);
    }
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

SourceScan SourceScan::ofFolder(const fs::path& folder) {
    SourceScan scan;
    std::error_code failed;
    const fs::path canonical = fs::weakly_canonical(folder, failed);
    const std::string title = (failed ? folder : canonical).filename().string();

    SourceCategory topLevel{title, {}};
    std::vector<fs::path> subFolders;
    for (fs::directory_iterator list(folder, failed), end; !failed && list != end;
         list.increment(failed)) {
        if (isHidden(list->path())) continue;
        if (list->is_directory(failed)) {
            subFolders.push_back(list->path());
        } else if (isRegularFile(*list)) {
            addFile(list->path(), topLevel.files, scan.skipped);
        }
    }
    if (failed) {
        scan.skipped.push_back(folder.string() + ": listing stopped (" + failed.message() + ")");
    }
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
        SourceCategory category{subFolder.filename().string(), filesBelow(subFolder, scan.skipped)};
        if (category.files.empty()) continue;
        if (!CatalogueWriter::canHold(category.title)) {
            scan.skipped.push_back(unreadableName(subFolder));
            continue;
        }
        scan.categories.push_back(std::move(category));
    }
    return scan;
}
