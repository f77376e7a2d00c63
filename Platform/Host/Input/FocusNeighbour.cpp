#include "FocusNeighbour.h"

#include "Platform/UI/ScrollView.h"
#include "Platform/UI/TableView.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {
namespace {

const View* gridOf(const PageContents::Entry& entry) {
    if (!entry.view || entry.node.kind != PageNode::Kind::kView) return nullptr;
    const View* parent = entry.view->superview();
    if (dynamic_cast<const ScrollView*>(parent) == nullptr) return nullptr;
    if (dynamic_cast<const TableView*>(parent) != nullptr) return nullptr;
    return parent;
}

}  // namespace

bool FocusNeighbour::isInGrid(const PageContents& contents, int focused) {
    if (focused < 0 || static_cast<std::size_t>(focused) >= contents.entries().size()) return false;
    return gridOf(contents.entries()[static_cast<std::size_t>(focused)]) != nullptr;
}

std::optional<int> FocusNeighbour::next(const PageContents& contents, int focused,
                                        Direction direction) {
    if (!isInGrid(contents, focused)) return std::nullopt;
    const auto& entries = contents.entries();
    const PageContents::Entry& from = entries[static_cast<std::size_t>(focused)];
    const View* grid = gridOf(from);
    std::vector<int> stops;
    for (int position : contents.focusOrder()) {
        if (gridOf(entries[static_cast<std::size_t>(position)]) == grid) stops.push_back(position);
    }
    const auto at = std::find(stops.begin(), stops.end(), focused);
    if (at == stops.end()) return std::nullopt;
    if (direction == Direction::kLeft) {
        if (at == stops.begin()) return std::nullopt;
        return *(at - 1);
    }
    if (direction == Direction::kRight) {
        if (at + 1 == stops.end()) return std::nullopt;
        return *(at + 1);
    }
    const bool down = direction == Direction::kDown;
    const QPointF centre = from.frame.center();
    std::optional<int> best;
    double bestScore = std::numeric_limits<double>::infinity();
    for (int position : stops) {
        const QRectF& frame = entries[static_cast<std::size_t>(position)].frame;
        const bool beyond = down ? frame.top() >= from.frame.bottom() - 0.5
                                 : frame.bottom() <= from.frame.top() + 0.5;
        if (!beyond) continue;
        const double along = std::abs(frame.center().y() - centre.y());
        const double across = std::abs(frame.center().x() - centre.x());
        // The row next to this one first; inside it the nearest column.
        const double score = along * 4 + across;
        if (score < bestScore) {
            bestScore = score;
            best = position;
        }
    }
    return best;
}

}  // namespace platform
