#include "FileDrop.h"

#include "Platform/UI/WindowCommands.h"

#include <QMimeData>
#include <QUrl>

#include <filesystem>
#include <vector>

namespace platform {
namespace {

// The local files and folders among dropped URLs.
std::vector<std::filesystem::path> localPaths(const QMimeData* data) {
    std::vector<std::filesystem::path> paths;
    if (data == nullptr || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) paths.emplace_back(url.toLocalFile().toStdString());
    }
    return paths;
}

}  // namespace

void FileDrop::enter(QDragEnterEvent& event) {
    if (WindowCommands::applicationCommands().dropHandler() &&
        !localPaths(event.mimeData()).empty()) {
        event.acceptProposedAction();
    }
}

void FileDrop::move(QDragMoveEvent& event) {
    if (!localPaths(event.mimeData()).empty()) event.acceptProposedAction();
}

void FileDrop::drop(QDropEvent& event, HostServices& services) {
    const auto& handler = WindowCommands::applicationCommands().dropHandler();
    auto paths = localPaths(event.mimeData());
    if (!handler || paths.empty()) return;
    event.acceptProposedAction();
    handler(services, std::move(paths));
}

}  // namespace platform
