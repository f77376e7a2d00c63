#pragma once

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

namespace platform {

class HostServices;

// Local files and folders dropped on the window go to the application's drop
// handler (WindowCommands::onDrop), which acts through the window's services.
// A drag that brings no local file, or an application without a handler,
// is refused.
class FileDrop {
  public:
    static void enter(QDragEnterEvent& event);
    static void move(QDragMoveEvent& event);
    static void drop(QDropEvent& event, HostServices& services);
};

}  // namespace platform
