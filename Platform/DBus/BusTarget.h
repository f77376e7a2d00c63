#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// What the soundboard's bus interface asks of the running application. Every
// call comes on the main thread, one at a time, so the application answers it
// as it answers a menu or a key.
class BusTarget {
  public:
    // A request the application refused: the bus error's name and its text
    // for the caller, said as the user would need it.
    struct Refusal {
        std::string errorName;
        std::string text;
    };
    using Outcome = std::optional<Refusal>;  // none: done

    struct Sound {
        std::string audioNumber;
        std::string label;
        std::string category;
    };

    virtual ~BusTarget() = default;

    virtual Outcome playLabel(const std::string& label) = 0;
    virtual Outcome playNumber(const std::string& audioNumber) = 0;
    virtual void stopAll() = 0;
    // 0..100.
    virtual int volume() = 0;
    virtual void setVolume(int percent) = 0;
    virtual std::vector<std::string> categories() = 0;
    virtual std::vector<Sound> sounds() = 0;
    virtual Outcome openBoard(const std::string& folder) = 0;
};

}  // namespace platform
