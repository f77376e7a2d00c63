#include "Image.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/DurableFile.h"
#include "Platform/Foundation/FileContents.h"
#include "Platform/Foundation/Log.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

namespace platform {

void CairoSurfaceRelease::operator()(cairo_surface_t* surface) const {
    if (surface != nullptr) cairo_surface_destroy(surface);
}

namespace {

struct CairoContextRelease {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using CairoContextPtr = std::unique_ptr<cairo_t, CairoContextRelease>;

// Redraws any image surface into a fresh ARGB32 one, so every Image has one layout.
CairoSurfacePtr convertToARGB32(cairo_surface_t* source) {
    const int width = cairo_image_surface_get_width(source);
    const int height = cairo_image_surface_get_height(source);
    CairoSurfacePtr target(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(target.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    CairoContextPtr context(cairo_create(target.get()));
    cairo_set_source_surface(context.get(), source, 0, 0);
    cairo_set_operator(context.get(), CAIRO_OPERATOR_SOURCE);
    cairo_paint(context.get());
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    context.reset();
    cairo_surface_flush(target.get());
    return target;
}

// Keeps decoded bundle images by (bundle folder, file name): a test that points the
// main bundle elsewhere never sees another folder's pictures.
class NamedImageCache {
  public:
    static NamedImageCache& shared() {
        static NamedImageCache cache;
        return cache;
    }

    std::shared_ptr<Image> find(const std::string& folder, const std::string& name) {
        std::lock_guard lock(m_mutex);
        auto found = m_images.find({folder, name});
        return found == m_images.end() ? nullptr : found->second;
    }

    // Keeps the first image stored under a key, so racing loaders agree on one object.
    std::shared_ptr<Image> insert(const std::string& folder, const std::string& name,
                                  std::shared_ptr<Image> image) {
        std::lock_guard lock(m_mutex);
        auto [where, inserted] = m_images.try_emplace({folder, name}, std::move(image));
        return where->second;
    }

    void clear() {
        std::lock_guard lock(m_mutex);
        m_images.clear();
    }

  private:
    std::mutex m_mutex;
    std::map<std::pair<std::string, std::string>, std::shared_ptr<Image>> m_images;
};

std::optional<std::string> bundlePathForImage(const Bundle& bundle, const std::string& fileName) {
    if (auto path = bundle.pathForResource(fileName, "")) return path;
    if (std::filesystem::path(fileName).has_extension()) return std::nullopt;
    return bundle.pathForResource(fileName, "png");
}

// The width and height a PNG's header claims; none when it is not a PNG.
std::optional<std::pair<std::uint32_t, std::uint32_t>> pngSize(std::string_view bytes) {
    static constexpr std::string_view kSignature = "\x89PNG\r\n\x1a\n";
    if (bytes.size() < 24 || bytes.substr(0, 8) != kSignature || bytes.substr(12, 4) != "IHDR") {
        return std::nullopt;
    }
    const auto bigEndian = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
        }
        return value;
    };
    return std::pair{bigEndian(16), bigEndian(20)};
}

// Hands the bytes of a PNG held in memory to cairo piece by piece.
struct MemoryReader {
    std::string_view rest;
    static cairo_status_t read(void* closure, unsigned char* data, unsigned int length) {
        auto* self = static_cast<MemoryReader*>(closure);
        if (self->rest.size() < length) return CAIRO_STATUS_READ_ERROR;
        std::memcpy(data, self->rest.data(), length);
        self->rest.remove_prefix(length);
        return CAIRO_STATUS_SUCCESS;
    }
};

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

Image::Image(ConstructionKey, CairoSurfacePtr surface, std::string name)
    : m_surface(std::move(surface)), m_name(std::move(name)) {}

Image::~Image() = default;

std::shared_ptr<Image> Image::imageWithSurface(cairo_surface_t* surface) {
    CairoSurfacePtr owned(surface);
    if (!owned || cairo_surface_status(owned.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    if (cairo_surface_get_type(owned.get()) != CAIRO_SURFACE_TYPE_IMAGE) return nullptr;
    cairo_surface_flush(owned.get());
    if (cairo_image_surface_get_format(owned.get()) != CAIRO_FORMAT_ARGB32) {
        owned = convertToARGB32(owned.get());
        if (!owned) return nullptr;
    }
    return std::make_shared<Image>(ConstructionKey(), std::move(owned), std::string());
}

std::shared_ptr<Image> Image::imageWithContentsOfFile(const std::filesystem::path& path) {
    const FileContents contents = readFileContents(path, kMaximumFileBytes);
    if (contents.tooLarge()) {
        LogOnce("Image " + path.string() + " is " + sizeText(contents.size) + ", over the " +
                sizeText(kMaximumFileBytes) + " a picture may have; it is not drawn");
        return nullptr;
    }
    if (!contents.bytes) return nullptr;
    const auto size = pngSize(*contents.bytes);
    if (!size) return nullptr;
    const auto [width, height] = *size;
    if (width > kMaximumSide || height > kMaximumSide ||
        std::uint64_t{width} * height > kMaximumPixels) {
        LogOnce("Image " + path.string() + " is " + std::to_string(width) + " x " +
                std::to_string(height) + " pixels, over the " + std::to_string(kMaximumPixels) +
                " pixels (at most " + std::to_string(kMaximumSide) +
                " a side) a picture may have; it is not drawn");
        return nullptr;
    }
    MemoryReader reader{*contents.bytes};
    return imageWithSurface(
        cairo_image_surface_create_from_png_stream(MemoryReader::read, &reader));
}

std::shared_ptr<Image> Image::imageNamed(std::string_view fileName) {
    auto bundle = Bundle::mainBundle();
    if (!bundle || fileName.empty()) return nullptr;
    const std::string folder = bundle->bundlePath().string();
    const std::string name(fileName);
    auto& cache = NamedImageCache::shared();
    if (auto cached = cache.find(folder, name)) return cached;

    auto path = bundlePathForImage(*bundle, name);
    if (!path) return nullptr;
    auto loaded = imageWithContentsOfFile(*path);
    if (!loaded) return nullptr;
    loaded->m_name = name;
    return cache.insert(folder, name, std::move(loaded));
}

void Image::clearNamedImageCache() {
    NamedImageCache::shared().clear();
}

int Image::width() const {
    return cairo_image_surface_get_width(m_surface.get());
}

int Image::height() const {
    return cairo_image_surface_get_height(m_surface.get());
}

unsigned int Image::pixelARGB(int x, int y) const {
    if (x < 0 || y < 0 || x >= width() || y >= height()) return 0;
    const unsigned char* data = cairo_image_surface_get_data(m_surface.get());
    if (data == nullptr) return 0;
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(m_surface.get()));
    std::uint32_t premultiplied = 0;
    std::memcpy(&premultiplied,
                data + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 4,
                sizeof premultiplied);
    const std::uint32_t alpha = premultiplied >> 24;
    if (alpha == 0) return 0;
    // A surface handed in from outside may hold a channel above its alpha, which is not
    // valid premultiplied colour; it reads as full intensity, not as a carry into the
    // neighbouring channel.
    auto unpremultiply = [alpha](std::uint32_t channel) {
        return std::min<std::uint32_t>((channel * 255 + alpha / 2) / alpha, 255);
    };
    const std::uint32_t red = unpremultiply((premultiplied >> 16) & 0xff);
    const std::uint32_t green = unpremultiply((premultiplied >> 8) & 0xff);
    const std::uint32_t blue = unpremultiply(premultiplied & 0xff);
    return (alpha << 24) | (red << 16) | (green << 8) | blue;
}

bool Image::writePNG(const std::filesystem::path& path) const {
    std::string encoded;
    if (cairo_surface_write_to_png_stream(m_surface.get(), appendToString, &encoded) !=
        CAIRO_STATUS_SUCCESS) {
        return false;
    }
    return writeFileDurably(path, encoded);
}

}  // namespace platform
