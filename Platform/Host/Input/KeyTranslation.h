#pragma once

#include "Platform/UI/KeyPress.h"

#include <QKeyEvent>

namespace platform {

// The one place a Qt key event becomes a KeyPress.
KeyPress translatedKey(const QKeyEvent& event);

}  // namespace platform
