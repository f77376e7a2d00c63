#include "Classes/Desktop/CategoryCommands.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CategoryPage.h"
#include "Classes/CommandNames.h"
#include "Platform/UI/Application.h"

#include <string>

using platform::HostServices;
using platform::WindowCommand;
namespace names = command_names;

namespace {

std::string shortcutFor(int position) {
    return "Ctrl+" + std::to_string(position);
}

void openCategory(int position) {
    platform::Application::sharedApplication().sendCommand(names::kOpenCategory,
                                                           std::to_string(position));
}

// Whether the page on top lists the category at `position` (from 1).
bool isShown(int position) {
    const auto top = platform::Application::sharedApplication().topPage();
    const auto* page = dynamic_cast<const CategoryPage*>(top.get());
    return page != nullptr && page->category() == position - 1;
}

bool canOpenCategories() {
    return platform::Application::sharedApplication().commandState(names::kOpenCategory).enabled;
}

std::vector<WindowCommand> categoryItems() {
    std::vector<WindowCommand> items;
    const auto root = Catalogue::loadDocument();
    const int count = Catalogue::categoryCount(root);
    for (int section = 0; section < count; ++section) {
        const auto category = Catalogue::categoryAt(root, section);
        const int position = section + 1;
        WindowCommand item;
        item.title = category ? Catalogue::title(*category) : std::string();
        if (item.title.empty()) item.title = "Category " + std::to_string(position);
        // The shortcut is the window's (below); a menu shows the text after a
        // tab as the item's keys without taking them a second time.
        if (position <= kCategoryShortcuts) item.title += "\t" + shortcutFor(position);
        item.perform = [position](HostServices&) { openCategory(position); };
        item.enabled = canOpenCategories;
        item.checked = [position] { return isShown(position); };
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace

std::vector<WindowCommand> categoryCommands() {
    std::vector<WindowCommand> commands;
    WindowCommand menu;
    menu.title = "Categories";
    menu.submenu = categoryItems;
    commands.push_back(std::move(menu));
    for (int position = 1; position <= kCategoryShortcuts; ++position) {
        auto shortcut =
            WindowCommand::make("Category " + std::to_string(position), shortcutFor(position),
                                [position](HostServices&) { openCategory(position); });
        shortcut.enabled = canOpenCategories;
        commands.push_back(std::move(shortcut));
    }
    return commands;
}
