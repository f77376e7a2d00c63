#include "Classes/Desktop/ScreenshotTourOfPages.h"

#include "Classes/Search/SearchCommands.h"

namespace {

// Long enough for a page slide or the options panel to come to rest.
constexpr double kSettle = 0.5;
// Into the badge flash: it is fully shown from 0.2 s to 1.4 s after the tap.
constexpr double kMidFlash = 0.7;
constexpr double kFlashRest = 1.2;

}  // namespace

platform::ScreenshotTour screenshotTourOfPages() {
    using Button = platform::ScreenshotStep::BarButton;
    platform::ScreenshotTour tour;
    // A visit to the favourites and back makes the main page read the
    // (temporary) settings again, so the first picture shows a fresh start.
    tour.tapBarButton(Button::kRight)
        .expectDepth(2, "open the favourites")
        .wait(kSettle)
        .tapBarButton(Button::kBack)
        .expectDepth(1, "go back")
        .wait(kSettle)
        .capture("main")
        .capture("main-2x", 2.0);
    // The options panel opens and closes with the left bar button.
    tour.tapBarButton(Button::kLeft).wait(kSettle).capture("options");
    tour.tapBarButton(Button::kLeft).wait(kSettle);
    // A sound's page, marked as a favourite: the badge flashes.
    tour.tapFirstRow()
        .expectDepth(2, "open a sound")
        .wait(kSettle)
        .tapBarButton(Button::kRight)
        .wait(kMidFlash)
        .capture("play")
        .wait(kFlashRest);
    tour.tapBarButton(Button::kBack)
        .expectDepth(1, "go back")
        .wait(kSettle)
        .tapBarButton(Button::kRight)
        .expectDepth(2, "open the favourites")
        .wait(kSettle)
        .capture("favourites");
    tour.tapFirstRow()
        .expectDepth(3, "open the favourite")
        .wait(kSettle)
        .tapControl("Info")
        .expectDepth(4, "open the info page")
        .wait(kSettle)
        .capture("info");
    // The search page over the main page, partly typed.
    tour.tapBarButton(Button::kBack)
        .wait(kSettle)
        .tapBarButton(Button::kBack)
        .wait(kSettle)
        .tapBarButton(Button::kBack)
        .expectDepth(1, "go back to the list")
        .wait(kSettle)
        .runCommand(kFindSoundTitle)
        .expectDepth(2, "open the search page")
        .wait(kSettle)
        .type("po")
        .capture("search");
    // Every sound as a pad, over the main page; the favourite marked above
    // shows its heart.
    tour.tapBarButton(Button::kBack)
        .expectDepth(1, "go back to the list")
        .wait(kSettle)
        .runCommand("Pads")
        .expectDepth(2, "open the pads")
        .wait(kSettle)
        .capture("pads");
    return tour;
}
