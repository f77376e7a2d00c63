#pragma once

#include "Platform/Graphics/Image.h"

#include <QImage>

namespace platform {

// Lets Qt read a model image's pixels in place. Our images are cairo ARGB32
// surfaces: native-endian, premultiplied 32-bit pixels, exactly Qt's
// Format_ARGB32_Premultiplied, so no conversion or copy is needed.
class ImageBridge {
  public:
    // A QImage over the pixels of `image`; it borrows them, so it must not be
    // used after `image` is gone. Null for an image without pixels.
    static QImage borrow(const Image& image);
};

}  // namespace platform
