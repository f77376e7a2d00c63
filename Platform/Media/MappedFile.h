#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace media {

// A regular file mapped read-only, so a large sound is handed to its decoder
// without first being copied into memory: only the pages the decoder reads are
// loaded, and they stay the kernel's to drop. Opened without blocking, so a
// FIFO or a device at the path is refused rather than waited on.
class MappedFile {
  public:
    // The file, or why not: missing, not a regular file, empty, or larger than
    // `maximumBytes`.
    static std::optional<MappedFile> open(const std::filesystem::path& path,
                                          std::uintmax_t maximumBytes, std::string& problem);

    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    std::string_view bytes() const { return {static_cast<const char*>(m_data), m_size}; }

  private:
    MappedFile(void* data, std::size_t size) : m_data(data), m_size(size) {}
    void* m_data = nullptr;
    std::size_t m_size = 0;
};

}  // namespace media
