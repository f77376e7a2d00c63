#pragma once

#include "Platform/UI/HostPanel.h"

class QDialog;
class QWidget;

namespace platform {

// The Qt dialog for a HostPanel, over `window`, not yet shown. The caller owns
// it (Qt's parent link only places it).
QDialog* makePanelDialog(HostPanel panel, QWidget& window);

}  // namespace platform
