#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// While alive, the application's user defaults live in a fresh, empty folder
// of their own, so a walk through the application (screenshots) can mark
// favourites without touching the user's. The previous XDG_CONFIG_HOME and the
// user's store come back when it goes, and the folder is removed.
class TemporaryUserDefaults {
  public:
    TemporaryUserDefaults();
    ~TemporaryUserDefaults();
    TemporaryUserDefaults(const TemporaryUserDefaults&) = delete;
    TemporaryUserDefaults& operator=(const TemporaryUserDefaults&) = delete;

    // False when no temporary folder could be made; the store is then untouched.
    bool isActive() const { return !m_folder.empty(); }

  private:
    std::filesystem::path m_folder;
    std::optional<std::string> m_previousConfigHome;
};

}  // namespace platform
