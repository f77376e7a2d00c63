#pragma once

#include "Platform/UI/Label.h"
#include "Platform/UI/TableViewCell.h"

#include <memory>

// A row of the search page: the sound's label, and its category in small grey
// letters at the row's end.
class SearchResultCell : public platform::TableViewCell {
  public:
    static constexpr const char* kIdentifier = "result";
    // The width kept for the category at the row's end.
    static constexpr double kCategoryWidth = 100.0;

    SearchResultCell();

    platform::Label& categoryLabel() { return *m_categoryLabel; }
    const platform::Label& categoryLabel() const { return *m_categoryLabel; }

    void layoutSubviews() override;

  private:
    std::shared_ptr<platform::Label> m_categoryLabel;
};
