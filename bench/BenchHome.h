#pragma once

#include <filesystem>

namespace bench {

// A private temporary HOME (with its XDG folders) for a benchmark program, so
// settings it writes never reach the user's; removed when the object goes.
class BenchHome {
  public:
    BenchHome();
    ~BenchHome();
    BenchHome(const BenchHome&) = delete;
    BenchHome& operator=(const BenchHome&) = delete;
    const std::filesystem::path& path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

// The bundle to run on: $SOUNDBOARD_BUNDLE, else the source tree's Resources/.
std::filesystem::path sourceBundle();

}  // namespace bench
