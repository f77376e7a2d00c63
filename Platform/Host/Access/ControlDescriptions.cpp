#include "ControlDescriptions.h"

#include "ControlWalk.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Host/Paint/WebContentCache.h"
#include "Platform/UI/Button.h"
#include "Platform/UI/ImageView.h"
#include "Platform/UI/Label.h"
#include "Platform/UI/Switch.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/TextField.h"
#include "Platform/UI/WebView.h"

#include <QTextDocument>

#include <cstdint>

namespace platform::control_descriptions {

using Entry = PageContents::Entry;

bool button(View& view, ControlWalk& walk) {
    const auto* button = dynamic_cast<const Button*>(&view);
    if (button == nullptr) return false;
    Entry& entry = walk.addEntry(QAccessible::Button);
    if (entry.name.empty()) entry.name = button->title();
    if (button->title() != entry.name) entry.description = button->title();
    if (!button->accessibilityDescription().empty()) {
        entry.description = button->accessibilityDescription();
    }
    entry.enabled = button->isEnabled();
    entry.focusable = entry.enabled;
    // A button that plays a sound says while it plays, as its ring shows.
    const std::uint32_t sound = button->playbackSound();
    if (sound != 0 && playbackProgress(sound)) {
        entry.description += entry.description.empty() ? "playing" : ", playing";
        entry.busy = true;
    }
    return true;
}

bool label(View& view, ControlWalk& walk) {
    const auto* label = dynamic_cast<const Label*>(&view);
    if (label == nullptr) return false;
    // A label reads as what it says; its name is only an id.
    Entry& entry = walk.addEntry(QAccessible::StaticText);
    if (!label->text().empty()) entry.name = label->text();
    return true;
}

bool imageView(View& view, ControlWalk& walk) {
    const auto* image = dynamic_cast<const ImageView*>(&view);
    if (image == nullptr) return false;
    Entry& entry = walk.addEntry(QAccessible::Graphic);
    if (entry.name.empty() && image->image())
        entry.name = PageContents::imageTitle(image->image()->name());
    return true;
}

bool toggle(View& view, ControlWalk& walk) {
    const auto* toggle = dynamic_cast<const Switch*>(&view);
    if (toggle == nullptr) return false;
    Entry& entry = walk.addEntry(QAccessible::CheckBox);
    entry.description = "switch";
    entry.checkable = true;
    entry.checked = toggle->isOn();
    entry.focusable = true;
    return true;
}

bool tableView(View& view, ControlWalk& walk) {
    auto* table = dynamic_cast<TableView*>(&view);
    if (table == nullptr) return false;
    Entry& entry = walk.addEntry(QAccessible::List);
    entry.focusable = true;
    walk.addRows(*table, entry);
    return true;
}

bool webView(View& view, ControlWalk& walk) {
    auto* web = dynamic_cast<WebView*>(&view);
    if (web == nullptr) return false;
    Entry& entry = walk.addEntry(QAccessible::Document);
    if (QTextDocument* document = walk.web().documentFor(*web, walk.frame().width())) {
        entry.description = document->toPlainText().simplified().toStdString();
    }
    walk.addLinks(*web, entry);
    return true;
}

bool textField(View& view, ControlWalk& walk) {
    const auto* field = dynamic_cast<const TextField*>(&view);
    if (field == nullptr) return false;
    // The page's field takes every key typed, so it needs no stop of its
    // own in the ring; to assistive technology it is focusable and holds
    // the focus whenever nothing else does.
    Entry& entry = walk.addEntry(QAccessible::EditableText);
    if (entry.name.empty()) entry.name = field->placeholder();
    entry.value = field->text();
    entry.editable = true;
    return true;
}

}  // namespace platform::control_descriptions
