#include "TableViewCell.h"

#include <algorithm>

namespace platform {

TableViewCell::TableViewCell(std::string reuseIdentifier)
    : m_reuseIdentifier(std::move(reuseIdentifier)), m_textLabel(std::make_shared<Label>()) {
    addSubview(m_textLabel);
}

std::shared_ptr<TableViewCell> TableViewCell::initWithFrameReuseIdentifier(
    Rect frame, std::string reuseIdentifier) {
    auto cell = std::make_shared<TableViewCell>(std::move(reuseIdentifier));
    cell->setFrame(frame);
    return cell;
}

void TableViewCell::setAccessoryType(int type) {
    m_accessoryType = type;
    layoutSubviews();
}

void TableViewCell::layoutSubviews() {
    const Rect cell = frame();
    const double trailing =
        m_accessoryType == kTableViewCellAccessoryNone ? kTextInset : kAccessoryWidth;
    const Rect text{kTextInset, 0, std::max(0.0, cell.width - kTextInset - trailing), cell.height};
    // The label follows the cell's model frame at once; when the cell itself
    // animates, the host draws the label inside the cell's shown frame.
    performWithoutAnimation([&] { m_textLabel->setFrame(text); });
}

}  // namespace platform
