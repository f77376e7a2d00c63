#include "ImageView.h"

#include "LayoutAttributes.h"

namespace platform {

std::shared_ptr<ImageView> ImageView::initWithImage(std::shared_ptr<Image> image) {
    auto view = std::make_shared<ImageView>();
    if (image) view->setFrame({0, 0, image->size().width, image->size().height});
    view->setImage(std::move(image));
    return view;
}

void ImageView::describeLayoutAttributes(LayoutAttributes<ImageView>& attributes) {
    attributes
        .image("image", &ImageView::setImage)
        // Without a frame the view takes its image's size, as one made from the image does.
        .withoutFrame([](ImageView& view) {
            if (!view.image()) return;
            const Size size = view.image()->size();
            view.setFrame({0, 0, size.width, size.height});
        });
}

}  // namespace platform
