#include "ImageBridge.h"

#include <cairo.h>

namespace platform {

QImage ImageBridge::borrow(const Image& image) {
    cairo_surface_t* surface = image.surface();
    if (surface == nullptr || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return {};
    if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) return {};
    // Pending cairo drawing reaches the pixels before Qt reads them.
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    if (data == nullptr || width <= 0 || height <= 0) return {};
    // The const-data constructor never writes to the buffer and copies on any
    // attempt to modify the QImage.
    return QImage(data, width, height, stride, QImage::Format_ARGB32_Premultiplied);
}

}  // namespace platform
