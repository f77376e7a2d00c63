#pragma once

#include "Classes/SPLibrary/SPXMLElement.h"
#include "Platform/UI/ViewController.h"
#include "Platform/UI/WindowCommands.h"

#include <memory>
#include <vector>

// The context menu of a sound, wherever it is listed (a row of a sound list, a
// pad): Play, Open (its play page, pushed over `page`), Add to or Remove from
// Favourites, and its play mode: When Played Again ▸ Overlap, Restart or Stop,
// Loop, and Volume Trim in steps of 3 dB. Plays go the board's one play path;
// modes are kept with the desktop preferences.
//
// The commands hold the entry and the page weakly only where the page owns
// the entry's tree; a page that has gone opens nothing.
std::vector<platform::WindowCommand> soundContextCommands(
    std::shared_ptr<SPXMLElement> entry, std::weak_ptr<platform::ViewController> page);
