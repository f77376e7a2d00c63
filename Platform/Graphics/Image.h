#pragma once

#include "Geometry.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

typedef struct _cairo_surface cairo_surface_t;

namespace platform {

// Releases one reference to a cairo surface.
struct CairoSurfaceRelease {
    void operator()(cairo_surface_t* surface) const;
};
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceRelease>;

// A bitmap on a cairo image surface (ARGB32, premultiplied). Immutable once made.
class Image {
  public:
    // A picture is decoded only when its file and its pixels are within these:
    // a board's pictures are small bar and badge images, and a few megabytes of
    // compressed PNG can otherwise claim gigabytes of pixels. Both are checked
    // before any pixel is decoded; a refusal is logged once per file.
    static constexpr std::uintmax_t kMaximumFileBytes = std::uintmax_t{8} << 20;
    static constexpr std::uint64_t kMaximumPixels = std::uint64_t{1} << 20;
    static constexpr int kMaximumSide = 4096;

    // A PNG of the main bundle by file name ("love.png"; a name without an extension
    // also finds "<name>.png"). Decoded once and kept for the life of the process,
    // per bundle folder; none when missing or undecodable (a miss is not cached).
    static std::shared_ptr<Image> imageNamed(std::string_view fileName);
    // A PNG file; none when missing, not a regular file, undecodable or over the limits.
    static std::shared_ptr<Image> imageWithContentsOfFile(const std::filesystem::path& path);
    // Takes ownership of one reference to `surface`; none for a null or failed surface,
    // or one that is not an image surface. Other pixel formats are converted to ARGB32.
    static std::shared_ptr<Image> imageWithSurface(cairo_surface_t* surface);
    // Forgets every image imageNamed has kept. For tests.
    static void clearNamedImageCache();

    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int width() const;
    int height() const;
    Size size() const { return {static_cast<double>(width()), static_cast<double>(height())}; }
    // The file name it was loaded by, when it came from imageNamed (for drawing and tests).
    const std::string& name() const { return m_name; }
    // Borrowed; valid while the image lives.
    cairo_surface_t* surface() const { return m_surface.get(); }
    // Unpremultiplied ARGB of one pixel; 0 outside the image.
    unsigned int pixelARGB(int x, int y) const;
    // Encodes as PNG and replaces `path` atomically (the folder must exist). False on failure;
    // an existing file is then left as it was.
    bool writePNG(const std::filesystem::path& path) const;

    // Only Image's factories can make the key, so every Image comes from one of them.
    class ConstructionKey {
        friend class Image;
        ConstructionKey() = default;
    };
    Image(ConstructionKey, CairoSurfacePtr surface, std::string name);

  private:
    CairoSurfacePtr m_surface;
    std::string m_name;
};

}  // namespace platform
