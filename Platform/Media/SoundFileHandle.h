#pragma once

#include <filesystem>
#include <memory>
#include <string>

// libsndfile's handle and description, kept out of callers' headers.
struct sf_private_tag;
struct SF_INFO;

namespace media {

// Owns one libsndfile handle; closing it is the deleter's job, so every way out
// of a conversion closes the file exactly once.
class SoundFileHandle {
  public:
    SoundFileHandle() = default;
    // Opens `path` for reading; on failure the handle is empty and `error` says why.
    static SoundFileHandle openForReading(const std::filesystem::path& path, SF_INFO& info,
                                          std::string& error);
    // Writes through `fd`, which stays owned by the caller (libsndfile does not close it).
    static SoundFileHandle openForWriting(int fd, SF_INFO& info, std::string& error);

    sf_private_tag* get() const { return m_file.get(); }
    explicit operator bool() const { return m_file != nullptr; }
    // Closes now; false when libsndfile reports that the close failed.
    bool close();

  private:
    struct Closer {
        void operator()(sf_private_tag* file) const;
    };
    explicit SoundFileHandle(sf_private_tag* file) : m_file(file) {}
    std::unique_ptr<sf_private_tag, Closer> m_file;
};

}  // namespace media
