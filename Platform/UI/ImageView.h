#pragma once

#include "Platform/Graphics/Image.h"
#include "View.h"

namespace platform {

template <class T>
class LayoutAttributes;

// Shows an image scaled to its frame; its alpha is the view's alpha.
class ImageView : public View {
  public:
    using View::View;
    // A view the size of the image (at the origin), showing it.
    static std::shared_ptr<ImageView> initWithImage(std::shared_ptr<Image> image);
    std::string_view typeName() const override { return "ImageView"; }

    // The attributes layouts may give this type beyond those of every view.
    static void describeLayoutAttributes(LayoutAttributes<ImageView>& attributes);

    const std::shared_ptr<Image>& image() const { return m_image; }
    void setImage(std::shared_ptr<Image> image) { m_image = std::move(image); }

  private:
    std::shared_ptr<Image> m_image;
};

}  // namespace platform
