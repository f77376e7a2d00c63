#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

// The folder a board is built in, beside its destination, so that the board
// appears whole or not at all: the staging folder is hidden
// (".<name>.making-<pid>-<random>") and becomes the board by one rename. If
// the object goes away without commit(), the folder and all in it are
// removed; a process killed meanwhile leaves only the hidden folder, which the
// next build for the same destination clears once its process is gone.
class BoardStaging {
    struct PassKey {
        explicit PassKey() = default;
    };

  public:
    BoardStaging(PassKey, std::filesystem::path destination, std::filesystem::path folder);
    ~BoardStaging();
    BoardStaging(const BoardStaging&) = delete;
    BoardStaging& operator=(const BoardStaging&) = delete;

    // Why a board cannot go to `destination`, or none: it may not exist yet
    // (in an existing folder), or be an empty folder, or be a board (a folder
    // holding Data.XML), which the new board replaces.
    static std::optional<std::string> destinationProblem(const std::filesystem::path& destination);
    static bool isBoardFolder(const std::filesystem::path& folder);

    // Creates the staging folder; none (and `error` set) when it cannot.
    static std::unique_ptr<BoardStaging> begin(const std::filesystem::path& destination,
                                               std::string& error);

    const std::filesystem::path& folder() const { return m_folder; }
    // The destination, absolute and without a trailing separator.
    const std::filesystem::path& destination() const { return m_destination; }

    // Puts the staged board in place of the destination: a rename when there is
    // none or it is an empty folder, an exchange with an old board (which is
    // then removed). False, with `error` set, leaves the destination as it was.
    bool commit(std::string& error);

  private:
    std::filesystem::path m_destination;
    std::filesystem::path m_folder;
    bool m_committed = false;
};
