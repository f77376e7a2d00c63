#pragma once

#include "Platform/Foundation/Clock.h"
#include "Platform/Host/Paint/NavigationBarLayout.h"
#include "Platform/Host/Window/HostOptions.h"
#include "Platform/Host/Window/HostWindow.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/ViewController.h"

#include <QPoint>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hosttest {

// The application launched from the bundled content exactly as the program
// launches it (UIApplicationMain and the main window layout), on a manual
// clock, shown in a HostWindow on Qt's offscreen platform. URLs handed to the
// system are recorded instead of opened.
struct Session {
    platform::Application& application;
    platform::HostWindow& window;
    platform::ManualClock& clock;
    std::vector<std::string> openedURLs;
    bool openSucceeds = true;

    // The navigation stack's pages, bottom to top.
    std::size_t depth() const;
    platform::ViewController* top() const;
    template <class T>
    T* topAs() const {
        return dynamic_cast<T*>(top());
    }
    platform::NavigationBarState bar() const;
    // The first table of the top page.
    std::shared_ptr<platform::TableView> table() const;

    // Where things are on screen, in widget coordinates (through the window's scale).
    QPoint rowPoint(platform::IndexPath indexPath) const;
    QPoint barButtonPoint(platform::NavigationBarLayout::Part part) const;
    // The centre of the view named `name` (accessibility name or layout id) on the top page.
    QPoint controlPoint(std::string_view name) const;

    // A left click as the mouse gives it.
    void click(QPoint point);
    // A left double-click as the mouse gives it: two clicks in quick succession,
    // which Qt's platform layer reports as a press, a release, a press, a
    // double-click and a release. The clock does not move in between.
    void doubleClick(QPoint point);
    // Moves the clock, runs what fell due, and lets Qt deliver its events.
    void advance(double seconds);
    // A frame drawn now.
    QImage frame();
};

// Runs `body` inside a launched session (on the bundled content, or on the
// bundle in `bundle` when given); returns the program's exit status.
int runSession(const std::function<void(Session&)>& body,
               platform::HostOptions options = platform::HostOptions{},
               const std::filesystem::path& bundle = {});

// How many different colours a picture holds (a blank one has one).
std::size_t distinctColours(const QImage& picture);
// How many pixels of `area` differ between two pictures of one size.
int differingPixels(const QImage& a, const QImage& b, const QRect& area);

}  // namespace hosttest
