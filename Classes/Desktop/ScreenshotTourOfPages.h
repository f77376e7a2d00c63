#pragma once

#include "Platform/UI/ScreenshotTour.h"

// The walk that --screenshot takes through the application's pages: the main
// page, its options panel, a sound's page with the favourite badge showing,
// the favourites and the info page, one picture each.
platform::ScreenshotTour screenshotTourOfPages();
