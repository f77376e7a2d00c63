#include "Classes/SoundList.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/PlayPage.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/NavigationController.h"

namespace {

// Translucent red lines between rows.
constexpr platform::Color kSeparatorColor{1.0f, 0.0f, 0.0f, 0.3f};

}  // namespace

int SoundList::numberOfRowsInSection(const std::shared_ptr<SPXMLElement>& listRoot, int section) {
    return Catalogue::soundCount(listRoot, section);
}

std::shared_ptr<platform::TableViewCell> SoundList::cellForRowAtIndexPath(
    platform::TableView& table, const std::shared_ptr<SPXMLElement>& listRoot,
    platform::IndexPath indexPath) {
    auto cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) {
        cell = platform::TableViewCell::initWithFrameReuseIdentifier(platform::kRectZero,
                                                                     kCellIdentifier);
    }
    // Filled for new and reused cells alike, so a reused cell never keeps an
    // earlier label.
    auto entry = Catalogue::soundEntryAt(listRoot, indexPath.section, indexPath.row);
    cell->textLabel().setText(entry ? Catalogue::label(*entry) : std::string());
    cell->setAccessoryType(platform::kTableViewCellAccessoryDisclosureIndicator);
    table.setSeparatorColor(kSeparatorColor);
    return cell;
}

void SoundList::didSelectRowAtIndexPath(platform::ViewController& page, platform::TableView& table,
                                        const std::shared_ptr<SPXMLElement>& listRoot,
                                        platform::IndexPath indexPath) {
    openPlayPage(page, Catalogue::soundEntryAt(listRoot, indexPath.section, indexPath.row));
    table.deselectRowAtIndexPath(indexPath, true);
}

void SoundList::openPlayPage(platform::ViewController& page, std::shared_ptr<SPXMLElement> entry) {
    if (!entry) return;
    auto playPage = platform::ViewController::initWithNibName<PlayPage>("PlayPage");
    auto* stack = page.navigationController();
    if (playPage && stack) {
        // Handed over before the push, so before the play page's view loads.
        playPage->pushData(std::move(entry));
        stack->pushViewController(std::move(playPage), true);
    }
}

bool SoundList::isPlayCommand(std::string_view name) {
    return name == command_names::kPlay || name == command_names::kDefaultAction;
}

std::optional<platform::CommandState> SoundList::playCommandState(
    const platform::TableView* table) {
    if (table == nullptr || !table->indexPathForSelectedRow()) return std::nullopt;
    return platform::CommandState{};
}

bool SoundList::playEntry(const std::shared_ptr<SPXMLElement>& entry) {
    if (!entry) return false;
    return platform::Application::sharedApplication().sendCommand(command_names::kPlaySound,
                                                                  Catalogue::audioNumber(*entry));
}
