#pragma once

#include "HostPanel.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>

namespace platform {

class HostServices;

// Long work a window command starts. The host runs `run` on a worker thread
// while it shows `progressText`, a bar with the counts and a button reading
// `cancelText`; pressing it requests `stop`. `run` may report progress from its
// thread as often as it likes and must return soon after a stop is requested.
// Once it has returned, stopped or not, `finished` runs on the main thread.
struct BackgroundWork {
    using Progress = std::function<void(std::size_t finished, std::size_t total)>;

    std::string progressText;
    std::string cancelText;
    std::function<void(std::stop_token stop, const Progress& progress)> run;
    std::function<void(HostServices& services)> finished;
};

// What the window host does for the application's window commands: ask the
// user, tell the user, run long work without freezing the window, and open the
// application on another bundle. Every text shown comes from the application.
// Answers arrive later, on the main thread; the host outlives the callbacks it
// was given, and drops those it never calls when it goes.
class HostServices {
  public:
    using FolderChosen = std::function<void(std::optional<std::filesystem::path> folder)>;
    using Answered = std::function<void(bool accepted)>;

    virtual ~HostServices() = default;

    // Asks for an existing folder, starting in `start`; none when the user gave up.
    virtual void chooseFolder(std::string title, std::filesystem::path start,
                              FolderChosen chosen) = 0;
    // Asks a question that `acceptText` answers yes; cancelling answers no.
    virtual void ask(std::string title, std::string question, std::string acceptText,
                     Answered answered) = 0;
    // Shows a message; nothing waits for it to be read.
    virtual void tell(std::string title, std::string text) = 0;
    // Shows `panel`; a host without windows tells its text alone.
    virtual void showPanel(HostPanel panel) { tell(std::move(panel.title), std::move(panel.text)); }
    // Starts `work`; false (and nothing started) while other work still runs.
    virtual bool runInBackground(BackgroundWork work) = 0;
    // Starts the application anew on the bundle in `folder`, in the same window:
    // its main window layout and pages replace the present ones. False, with
    // the present pages left as they were, when the folder holds no usable bundle.
    virtual bool openBundle(const std::filesystem::path& folder) = 0;
    // The scale the pages are drawn at (1 is their own size), and setting it;
    // the window keeps the value within what it can show.
    virtual double zoom() const = 0;
    virtual void setZoom(double zoom) = 0;
};

}  // namespace platform
