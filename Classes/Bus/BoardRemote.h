#pragma once

#include "Platform/DBus/BusTarget.h"

// The open board as other programs reach it over the bus: every request
// becomes a command of the application (the same ones the menus and keys
// send), so a sound played from a script plays as its page's button plays it.
class BoardRemote : public platform::BusTarget {
  public:
    // A label is matched as written first, then as the search folds it
    // ("air horn" finds "Air Horn"); the first in catalogue order wins.
    Outcome playLabel(const std::string& label) override;
    Outcome playNumber(const std::string& audioNumber) override;
    void stopAll() override;
    int volume() override;
    void setVolume(int percent) override;
    std::vector<std::string> categories() override;
    std::vector<Sound> sounds() override;
    Outcome openBoard(const std::string& folder) override;
};
