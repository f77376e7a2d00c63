#pragma once

namespace platform {

// Sends Qt's own warnings to the system log, one line each like every other
// line of the program; Qt's debug and info chatter is dropped. A broken
// connection to the X display ends the program at once with status 1 and one
// line, rather than through Qt's exit() and a crash in the clean-up.
class QtMessageLog {
  public:
    static void install();
};

}  // namespace platform
