#pragma once

namespace platform {

class ControlWalk;
class View;

// What each control type is to the keyboard and assistive technology: its
// entry's role, name, value and state, and whether the focus ring stops on
// it. Registered beside the type's painter (ViewPainters); false, adding
// nothing, for a view not of the type.
namespace control_descriptions {

bool button(View& view, ControlWalk& walk);
bool imageView(View& view, ControlWalk& walk);
bool label(View& view, ControlWalk& walk);
bool tableView(View& view, ControlWalk& walk);
bool textField(View& view, ControlWalk& walk);
bool toggle(View& view, ControlWalk& walk);
bool webView(View& view, ControlWalk& walk);

}  // namespace control_descriptions
}  // namespace platform
