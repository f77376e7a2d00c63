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
//
// Nothing but the board maker's own files is ever deleted: an old board that
// is replaced hands every other entry it holds (a banner, pictures, whatever
// the user put there) to the new board, and a folder that still holds such
// an entry afterwards is kept rather than removed.
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
    // (in an existing folder), or be an empty folder, or be a board the board
    // maker made (see BoardIdentity::wasMadeByBoardMaker), which the new board
    // replaces.
    static std::optional<std::string> destinationProblem(const std::filesystem::path& destination);

    // Creates the staging folder; none (and `error` set) when it cannot.
    static std::unique_ptr<BoardStaging> begin(const std::filesystem::path& destination,
                                               std::string& error);

    const std::filesystem::path& folder() const { return m_folder; }
    // The destination, absolute and without a trailing separator.
    const std::filesystem::path& destination() const { return m_destination; }

    // Puts the staged board in place of the destination: a rename when there is
    // none or it is an empty folder, an exchange with an old board, whose
    // entries that are not the maker's then move into the new board and whose
    // remains are removed. False, with `error` set, leaves the destination as
    // it was.
    bool commit(std::string& error);
    // After commit: the hidden folder that kept what of the old board could not
    // be moved into the new one; none when the old board is gone.
    const std::optional<std::filesystem::path>& keptOldBoard() const { return m_keptOldBoard; }

  private:
    // Moves what of `oldBoard` is not the maker's into the new board, then
    // removes the rest.
    void takeOverFrom(const std::filesystem::path& oldBoard);

    std::filesystem::path m_destination;
    std::filesystem::path m_folder;
    std::optional<std::filesystem::path> m_keptOldBoard;
    bool m_committed = false;
};
