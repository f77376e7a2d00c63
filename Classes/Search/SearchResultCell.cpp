#include "Classes/Search/SearchResultCell.h"

#include <algorithm>

namespace {

constexpr double kCategoryFontSize = 13.0;
constexpr platform::Color kCategoryColor{0.45f, 0.45f, 0.5f, 1.0f};

}  // namespace

SearchResultCell::SearchResultCell()
    : platform::TableViewCell(kIdentifier), m_categoryLabel(std::make_shared<platform::Label>()) {
    m_categoryLabel->setFontSize(kCategoryFontSize);
    m_categoryLabel->setTextColor(kCategoryColor);
    m_categoryLabel->setTextAlignment(platform::kTextAlignmentRight);
    addSubview(m_categoryLabel);
}

void SearchResultCell::layoutSubviews() {
    TableViewCell::layoutSubviews();
    const platform::Rect text = textLabel().frame();
    const double categoryWidth = std::min(kCategoryWidth, text.width / 2);
    const platform::Rect label{text.x, text.y, text.width - categoryWidth, text.height};
    const platform::Rect category{text.x + label.width, text.y, categoryWidth, text.height};
    performWithoutAnimation([&] {
        textLabel().setFrame(label);
        if (m_categoryLabel) m_categoryLabel->setFrame(category);
    });
}
