#pragma once

#include "Platform/UI/WindowCommands.h"

#include <vector>

// View ▸ Categories: one item per category of the open board, read each time
// the submenu opens, each opening that category's page (checked while it is
// the page shown); and Ctrl+1 to Ctrl+9
// for the first nine, which the items show beside their titles.
std::vector<platform::WindowCommand> categoryCommands();

inline constexpr int kCategoryShortcuts = 9;
