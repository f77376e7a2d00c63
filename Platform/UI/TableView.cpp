#include "TableView.h"

#include "LayoutAttributes.h"
#include "TableRowGeometry.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr double kGroupedSectionSpacing = 10.0;
constexpr double kMinimumRowHeight = 1.0;
// Cells kept per reuse identifier beyond the ones on screen, for data sources
// that make new cells instead of dequeuing (the pool must not grow without end).
constexpr std::size_t kSparePooledCells = 8;

}  // namespace

TableView::TableView() : m_geometry(std::make_unique<TableRowGeometry>()) {}

TableView::TableView(Rect frame)
    : ScrollView(frame), m_geometry(std::make_unique<TableRowGeometry>()) {}

TableView::~TableView() = default;

void TableView::setDataSource(std::weak_ptr<TableViewDataSource> dataSource) {
    m_dataSource = std::move(dataSource);
    m_needsReload = true;
}

void TableView::setDelegate(std::weak_ptr<TableViewDelegate> delegate) {
    m_delegate = std::move(delegate);
}

void TableView::setStyle(int style) {
    m_style = style == kTableViewStyleGrouped ? kTableViewStyleGrouped : kTableViewStylePlain;
    m_geometry->setSectionSpacing(sectionSpacing());
    if (m_needsReload) return;
    updateContentSize();
    layoutVisibleCells();
}

void TableView::setRowHeight(double height) {
    if (!std::isfinite(height)) return;
    m_rowHeight = std::max(kMinimumRowHeight, height);
    m_geometry->setRowHeight(m_rowHeight);
    if (m_needsReload) return;
    updateContentSize();
    layoutVisibleCells();
}

double TableView::sectionSpacing() const {
    return m_style == kTableViewStyleGrouped ? kGroupedSectionSpacing : 0.0;
}

void TableView::reloadData() {
    auto keepAlive = weak_from_this().lock();
    const auto pass = ++m_pass;
    m_needsReload = false;

    std::vector<int> rowCounts;
    if (auto dataSource = m_dataSource.lock()) {
        const int sections = dataSource->numberOfSectionsInTableView(*this);
        if (m_pass != pass) return;
        rowCounts.reserve(static_cast<std::size_t>(std::clamp(sections, 0, kMaximumSections)));
        for (int s = 0; s < std::clamp(sections, 0, kMaximumSections); ++s) {
            const int rows = dataSource->tableViewNumberOfRowsInSection(*this, s);
            if (m_pass != pass) return;
            rowCounts.push_back(std::max(0, rows));
        }
    }

    m_rowCounts = std::move(rowCounts);
    m_geometry->setRowCounts(m_rowCounts);
    for (auto& [indexPath, cell] : m_visible) {
        if (!cell) continue;
        cell->removeFromSuperview();
        enqueueReusableCell(std::move(cell));
    }
    m_visible.clear();
    m_selected.reset();
    updateContentSize();
    layoutVisibleCells();
}

void TableView::reloadIfNeeded() {
    if (m_needsReload) reloadData();
}

void TableView::layoutIfNeeded() {
    auto keepAlive = weak_from_this().lock();  // data-source calls may release the owner
    reloadIfNeeded();
    View::layoutIfNeeded();
}

void TableView::updateContentSize() {
    m_contentSize = {frame().width, m_geometry->contentHeight()};
    m_contentOffset = clampedOffset(m_contentOffset);
}

void TableView::layoutVisibleCells() {
    auto keepAlive = weak_from_this().lock();
    const auto pass = ++m_pass;
    const double width = frame().width;
    const auto wanted =
        m_geometry->indexPathsInBand(m_contentOffset.y, m_contentOffset.y + frame().height);

    // Rows that scrolled out give their cells to the pool first, so the rows
    // that scrolled in can reuse them.
    for (auto it = m_visible.begin(); it != m_visible.end();) {
        if (std::binary_search(wanted.begin(), wanted.end(), it->first)) {
            if (it->second) {
                auto& cell = it->second;
                performWithoutAnimation(
                    [&] { cell->setFrame(m_geometry->rectForRow(it->first, width)); });
            }
            ++it;
            continue;
        }
        if (auto cell = std::move(it->second)) {
            cell->removeFromSuperview();
            enqueueReusableCell(std::move(cell));
        }
        it = m_visible.erase(it);
    }

    for (const IndexPath& indexPath : wanted) {
        if (m_visible.contains(indexPath)) continue;
        std::shared_ptr<TableViewCell> cell;
        if (auto dataSource = m_dataSource.lock()) {
            cell = dataSource->tableViewCellForRowAtIndexPath(*this, indexPath);
            if (m_pass != pass) return;
        }
        showCell(indexPath, std::move(cell));
    }
}

bool TableView::isShown(const TableViewCell& cell) const {
    return std::any_of(m_visible.begin(), m_visible.end(),
                       [&](const auto& entry) { return entry.second.get() == &cell; });
}

void TableView::showCell(IndexPath indexPath, std::shared_ptr<TableViewCell> cell) {
    // A cell already shown for another row cannot be in two places: the data
    // source's mistake leaves this row empty.
    if (cell && isShown(*cell)) cell.reset();
    if (cell) {
        takeFromReusePool(*cell);
        performWithoutAnimation(
            [&] { cell->setFrame(m_geometry->rectForRow(indexPath, frame().width)); });
        cell->setSelected(m_selected == indexPath);
        addSubview(cell);
    }
    m_visible[indexPath] = std::move(cell);
}

void TableView::enqueueReusableCell(std::shared_ptr<TableViewCell> cell) {
    if (!cell || cell->reuseIdentifier().empty()) return;
    const auto limit = m_visible.size() + kSparePooledCells;
    if (m_reusePool.count(cell->reuseIdentifier()) >= limit) return;
    const std::string identifier = cell->reuseIdentifier();
    m_reusePool.emplace(identifier, std::move(cell));
}

void TableView::takeFromReusePool(const TableViewCell& cell) {
    auto [first, last] = m_reusePool.equal_range(cell.reuseIdentifier());
    for (auto it = first; it != last; ++it) {
        if (it->second.get() == &cell) {
            m_reusePool.erase(it);
            return;
        }
    }
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCellWithIdentifier(
    std::string_view identifier) {
    const auto it = m_reusePool.find(identifier);
    if (it == m_reusePool.end()) return nullptr;
    auto cell = std::move(it->second);
    m_reusePool.erase(it);
    cell->prepareForReuse();
    return cell;
}

int TableView::numberOfRowsInSection(int section) const {
    if (section < 0 || static_cast<std::size_t>(section) >= m_rowCounts.size()) return 0;
    return m_rowCounts[static_cast<std::size_t>(section)];
}

Rect TableView::rectForRowAtIndexPath(IndexPath indexPath) const {
    return m_geometry->rectForRow(indexPath, frame().width);
}

std::optional<IndexPath> TableView::indexPathForRowAtPoint(Point contentPoint) const {
    return m_geometry->indexPathAt(contentPoint, frame().width);
}

std::vector<std::pair<IndexPath, std::shared_ptr<TableViewCell>>> TableView::visibleCells() const {
    std::vector<std::pair<IndexPath, std::shared_ptr<TableViewCell>>> cells;
    for (const auto& [indexPath, cell] : m_visible) {
        if (cell) cells.emplace_back(indexPath, cell);
    }
    return cells;
}

std::shared_ptr<TableViewCell> TableView::cellForRowAtIndexPath(IndexPath indexPath) const {
    const auto it = m_visible.find(indexPath);
    return it == m_visible.end() ? nullptr : it->second;
}

void TableView::selectRowAtIndexPath(IndexPath indexPath) {
    auto keepAlive = weak_from_this().lock();  // data-source calls may release the owner
    reloadIfNeeded();
    if (indexPath.row < 0 || indexPath.row >= numberOfRowsInSection(indexPath.section)) return;
    if (m_selected) {
        if (auto previous = cellForRowAtIndexPath(*m_selected)) previous->setSelected(false);
    }
    m_selected = indexPath;
    if (auto cell = cellForRowAtIndexPath(indexPath)) cell->setSelected(true);
}

void TableView::deselectRowAtIndexPath(IndexPath indexPath, bool /*animated*/) {
    // The highlight goes at once; a host may fade it, the model has no state for that.
    if (m_selected == indexPath) m_selected.reset();
    if (auto cell = cellForRowAtIndexPath(indexPath)) cell->setSelected(false);
}

void TableView::tapRowAtIndexPath(IndexPath indexPath) {
    // The delegate may reload this table or release its owner; this reference
    // keeps the table alive until the call returns, and nothing is touched after it.
    auto keepAlive = weak_from_this().lock();
    reloadIfNeeded();
    if (indexPath.row < 0 || indexPath.row >= numberOfRowsInSection(indexPath.section)) return;
    // With nobody to report to (no delegate, or it has gone) a tap does nothing:
    // a selection nobody clears would stay highlighted for good.
    auto delegate = m_delegate.lock();
    if (!delegate) return;
    selectRowAtIndexPath(indexPath);
    delegate->tableViewDidSelectRowAtIndexPath(*this, indexPath);
}

void TableView::tapAt(Point point) {
    auto keepAlive = weak_from_this().lock();  // data-source calls may release the owner
    reloadIfNeeded();
    const Point content{point.x + m_contentOffset.x, point.y + m_contentOffset.y};
    if (auto indexPath = indexPathForRowAtPoint(content)) tapRowAtIndexPath(*indexPath);
}

std::vector<WindowCommand> TableView::contextCommands(Point point) {
    auto keepAlive = weak_from_this().lock();  // delegate calls may release the owner
    reloadIfNeeded();
    const Point content{point.x + m_contentOffset.x, point.y + m_contentOffset.y};
    const auto indexPath = indexPathForRowAtPoint(content);
    auto delegate = m_delegate.lock();
    if (!indexPath || !delegate) return {};
    selectRowAtIndexPath(*indexPath);
    return delegate->tableViewContextCommandsForRowAtIndexPath(*this, *indexPath);
}

void TableView::scrollToRowAtIndexPath(IndexPath indexPath) {
    auto keepAlive = weak_from_this().lock();  // data-source calls may release the owner
    reloadIfNeeded();
    const Rect row = rectForRowAtIndexPath(indexPath);
    if (row == kRectZero) return;
    const double visibleHeight = frame().height;
    Point offset = m_contentOffset;
    if (row.y < offset.y) {
        offset.y = row.y;
    } else if (row.y + row.height > offset.y + visibleHeight) {
        offset.y = row.y + row.height - visibleHeight;
    }
    setContentOffset(offset);
}

void TableView::layoutSubviews() {
    if (m_needsReload) {
        ScrollView::layoutSubviews();
        return;
    }
    updateContentSize();
    layoutVisibleCells();
}

void TableView::setContentOffset(Point offset) {
    auto keepAlive = weak_from_this().lock();  // data-source calls may release the owner
    reloadIfNeeded();
    const Point before = m_contentOffset;
    ScrollView::setContentOffset(offset);
    if (m_contentOffset != before) layoutVisibleCells();
}

void TableView::describeLayoutAttributes(LayoutAttributes<TableView>& attributes) {
    attributes
        .choice<int>("style", &TableView::setStyle,
                     {{"plain", kTableViewStylePlain}, {"grouped", kTableViewStyleGrouped}})
        .number("rowHeight", &TableView::setRowHeight, LayoutAttributeValue::Range::positive())
        .color("separatorColor", &TableView::setSeparatorColor)
        .owner<TableViewDataSource>("dataSource", "a table data source", &TableView::setDataSource)
        .owner<TableViewDelegate>("delegate", "a table delegate", &TableView::setDelegate);
}

}  // namespace platform
