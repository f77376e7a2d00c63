#include "ImageViewPainter.h"

#include "ControlPainter.h"
#include "Platform/UI/ImageView.h"

namespace platform {

void ImageViewPainter::paintContent(QPainter& painter, const View& view, const QRectF& bounds,
                                    PaintScene&, bool) const {
    const auto* imageView = dynamic_cast<const ImageView*>(&view);
    if (imageView == nullptr) return;
    if (const auto& image = imageView->image()) ControlPainter::drawImage(painter, *image, bounds);
}

}  // namespace platform
