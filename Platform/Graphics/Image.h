#pragma once

#include "Geometry.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

typedef struct _cairo_surface cairo_surface_t;

namespace platform {

// A bitmap on a cairo image surface (ARGB32, premultiplied). Immutable once made.
class Image {
public:
    // A PNG of the main bundle by file name ("love.png"); cached, none when missing.
    static std::shared_ptr<Image> imageNamed(std::string_view fileName);
    // A PNG file; none when missing or undecodable.
    static std::shared_ptr<Image> imageWithContentsOfFile(const std::filesystem::path& path);
    // Takes ownership of one reference to `surface`; none for a null or failed surface.
    static std::shared_ptr<Image> imageWithSurface(cairo_surface_t* surface);

    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int width() const;
    int height() const;
    Size size() const { return {static_cast<double>(width()), static_cast<double>(height())}; }
    // The file name it was loaded by, when it came from imageNamed (for drawing and tests).
    const std::string& name() const { return m_name; }
    // Borrowed; valid while the image lives.
    cairo_surface_t* surface() const { return m_surface; }
    // Unpremultiplied ARGB of one pixel; 0 outside the image.
    unsigned int pixelARGB(int x, int y) const;
    bool writePNG(const std::filesystem::path& path) const;

private:
    Image(cairo_surface_t* surface, std::string name);
    cairo_surface_t* m_surface;
    std::string m_name;
};

}  // namespace platform
