#pragma once

#include "ViewPainter.h"

namespace platform {

// A scroll view: a plain view that always clips its content, like its
// phone counterpart.
class ScrollViewPainter final : public ViewPainter {
  protected:
    bool alwaysClips() const override { return true; }
};

}  // namespace platform
