#pragma once

#include "Classes/SPLibrary/SPXMLElement.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/ViewController.h"

#include <memory>
#include <optional>
#include <string_view>

// The sound list shared by the main page and the favourites page: a table over
// a list root whose children are categories (sections) and whose categories'
// children are sound entries (rows). It keeps no state: every call reads the
// list root it is given, so a page that replaces its tree only reloads.
namespace SoundList {
// The reuse identifier of every sound list cell.
inline constexpr const char* kCellIdentifier = "cell";

// Rows of `section`: the children of that category; 0 when there is none.
int numberOfRowsInSection(const std::shared_ptr<SPXMLElement>& listRoot, int section);

// The cell of a row: a reused or new "cell" showing the entry's label (empty
// for a missing entry or label) with a disclosure indicator. Sets the
// table's separator colour, on every request.
std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(
    platform::TableView& table, const std::shared_ptr<SPXMLElement>& listRoot,
    platform::IndexPath indexPath);

// A tapped row: opens the row's entry (openPlayPage); the row is deselected
// in every case.
void didSelectRowAtIndexPath(platform::ViewController& page, platform::TableView& table,
                             const std::shared_ptr<SPXMLElement>& listRoot,
                             platform::IndexPath indexPath);

// A new play page from the layout "PlayPage", handed `entry` before it is
// pushed onto `page`'s navigation stack. Nothing is pushed when there is no
// entry, no play page or no stack.
void openPlayPage(platform::ViewController& page, std::shared_ptr<SPXMLElement> entry);

// Play (the Sound menu's) and the page's default action (Space): on a list
// they play the selected row's sound without opening its page, as Space
// previews a file in a file manager.
bool isPlayCommand(std::string_view name);
// Their state on a list: answered (enabled) while a row is selected; none
// otherwise, so they keep their meaning further along the command chain.
std::optional<platform::CommandState> playCommandState(const platform::TableView* table);
// Plays `entry` the way every trigger plays a sound of the open board (the
// playSound command with its audio number); false without an entry.
bool playEntry(const std::shared_ptr<SPXMLElement>& entry);
}  // namespace SoundList
