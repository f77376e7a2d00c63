#pragma once

// Checks the board that has just opened in the window, in the background, and
// tells the user once when sounds of it cannot be played (a file missing or
// one that does not decode): without that, its rows would show the playing
// ring and stay silent. The notice gives the count and points to File ▸ Check
// Board for the report. The application's own sounds are not checked (nothing
// of them can be missing), and a result that arrives after another board has
// opened is dropped. The check never holds up the window; at the end of the
// process a check still running is waited for.
namespace BoardOpeningCheck {

void start();
// Waits until every check started so far has posted its result.
void waitForAll();

}  // namespace BoardOpeningCheck
