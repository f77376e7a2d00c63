#pragma once

#include "Platform/UI/WindowCommands.h"

#include <functional>
#include <string>

// Everything the desktop window offers: the File, Sound, View and Help menus
// with their shortcuts (the board commands among them), the window's drops,
// and the desktop preferences applied when the window opens (zoom, volume,
// device, where the window was left) and kept as they change.
platform::WindowCommands desktopCommands();

// The zoom steps Zoom In and Zoom Out go through; Actual Size is 1.
double nextZoomIn(double zoom);
double nextZoomOut(double zoom);

// The text of the Keyboard Shortcuts dialog: a line per command that has a
// shortcut, in menu order.
std::string keyboardShortcutsText(const platform::WindowCommands& commands);

// The global hotkeys the Keyboard Shortcuts dialog lists after the window's
// own shortcuts, one per line, asked for each time it opens (set once by the
// program; none: nothing listed).
void setGlobalHotkeyListing(std::function<std::string()> listing);
