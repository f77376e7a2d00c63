#pragma once

#include "Platform/UI/NavigationController.h"
#include "Platform/UI/ViewController.h"

class MainPage;
class PlayPage;

// The pages' own actions as the window's menu commands reach them: each does
// exactly what the page's button or key does, on the page shown now. Every
// call does nothing when its page is not there (no board open, another page
// on top).
namespace page_actions {

// The navigation stack of the running application, or null.
platform::NavigationController* stack();
// The page on top of it, or null.
platform::ViewController* topPage();
PlayPage* playPageOnTop();
MainPage* mainPageOnTop();
bool favouritesOnTop();
bool infoOnTop();

// The play page's play, as its default key does it.
void play();
// The play page's favourite button (add, or remove when marked).
void toggleFavourite();
// Whether the play page's sound is marked now.
bool isFavourite();
// The main page's favourites button, from wherever the user is.
void openFavourites();
// The info page, as the play page's info button opens it.
void openInfo();
// One page back, as the bar's back button.
bool canGoBack();
void goBack();
// The main page's options button: slides the options panel in or out.
void toggleOptions();

}  // namespace page_actions
