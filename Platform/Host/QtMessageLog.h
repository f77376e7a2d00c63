#pragma once

namespace platform {

// Sends Qt's own warnings to the system log, one line each like every other
// line of the program; Qt's debug and info chatter is dropped.
class QtMessageLog {
  public:
    static void install();
};

}  // namespace platform
