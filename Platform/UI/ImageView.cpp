#include "ImageView.h"

namespace platform {

std::shared_ptr<ImageView> ImageView::initWithImage(std::shared_ptr<Image> image) {
    auto view = std::make_shared<ImageView>();
    if (image) view->setFrame({0, 0, image->size().width, image->size().height});
    view->setImage(std::move(image));
    return view;
}

}  // namespace platform
