// A board's picture file from anyone: decoded only within the pixel limits,
// whatever its header claims.
#include "FuzzWorkspace.h"
#include "Platform/Graphics/Image.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

fuzzsupport::Workspace& workspace() {
    static fuzzsupport::Workspace instance;
    return instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = workspace().folder / "love.png";
    fuzzsupport::writeFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
    if (auto image = platform::Image::imageWithContentsOfFile(file)) {
        const auto pixels = static_cast<std::uint64_t>(image->width()) * image->height();
        if (pixels > platform::Image::kMaximumPixels ||
            image->width() > platform::Image::kMaximumSide ||
            image->height() > platform::Image::kMaximumSide) {
            std::abort();
        }
    }
    return 0;
}
