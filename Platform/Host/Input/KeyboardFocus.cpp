#include "KeyboardFocus.h"

#include "FocusNeighbour.h"
#include "InputRouter.h"
#include "Platform/Host/Access/AccessibleWindow.h"
#include "Platform/Host/Paint/FocusRingPainter.h"
#include "Platform/Host/Window/HostWindow.h"
#include "Platform/UI/PageScroller.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/Window.h"

namespace platform {
namespace {

// A table's stop stands for its selected row when it has one.
PageNode spokenNode(const PageContents::Entry& entry) {
    if (auto table = std::dynamic_pointer_cast<TableView>(entry.view)) {
        if (auto selected = table->indexPathForSelectedRow()) {
            return PageNode::of(PageNode::Kind::kRow, table.get(), *selected);
        }
    }
    return entry.node;
}

std::optional<FocusNeighbour::Direction> arrow(WindowKey key) {
    switch (key) {
        case WindowKey::kLeft:
            return FocusNeighbour::Direction::kLeft;
        case WindowKey::kRight:
            return FocusNeighbour::Direction::kRight;
        case WindowKey::kUp:
            return FocusNeighbour::Direction::kUp;
        case WindowKey::kDown:
            return FocusNeighbour::Direction::kDown;
        default:
            return std::nullopt;
    }
}

std::optional<PageScroller::Step> scrollStep(WindowKey key) {
    switch (key) {
        case WindowKey::kPageUp:
            return PageScroller::Step::kPageUp;
        case WindowKey::kPageDown:
            return PageScroller::Step::kPageDown;
        case WindowKey::kHome:
            return PageScroller::Step::kHome;
        case WindowKey::kEnd:
            return PageScroller::Step::kEnd;
        default:
            return std::nullopt;
    }
}

}  // namespace

KeyboardFocus::KeyboardFocus(HostWindow& window, InputRouter& router, WebContentCache& web)
    : m_window(window), m_router(router), m_web(web) {}

std::optional<PageContents> KeyboardFocus::contents() {
    return m_window.pageContents();
}

bool KeyboardFocus::keyPressed(const KeyPress& press) {
    if (press.command) return false;
    const WindowKey key = press.key;
    if (key == WindowKey::kTab || key == WindowKey::kBacktab) {
        const bool back = key == WindowKey::kBacktab || press.shift;
        moveFocus(back ? -1 : 1);
        return true;
    }
    if (key == WindowKey::kSpace || key == WindowKey::kEnter) {
        if (!takesActivationKey(press)) return false;
        if (const auto node = focusedNode()) activate(*node);
        return true;
    }
    if (const auto step = scrollStep(key)) {
        scroll(*step);
        return true;
    }
    if (const auto direction = arrow(key)) return moveInGrid(*direction);
    return false;
}

bool KeyboardFocus::moveInGrid(FocusNeighbour::Direction direction) {
    auto page = contents();
    const auto node = page && m_ring.isSet() ? m_ring.focused(*page) : std::nullopt;
    const auto at = node ? page->indexOf(*node) : std::nullopt;
    if (!at || !FocusNeighbour::isInGrid(*page, *at)) return false;
    auto next = FocusNeighbour::next(*page, *at, direction);
    if (!next) {
        // At the shown edge: the grid scrolls a row on, which shows (or makes)
        // the controls beyond it, and the arrow is tried once more.
        const auto& from = page->entries()[static_cast<std::size_t>(*at)];
        auto grid = std::dynamic_pointer_cast<ScrollView>(
            from.view->superview() ? from.view->superview()->shared_from_this() : nullptr);
        const bool forward = direction == FocusNeighbour::Direction::kDown ||
                             direction == FocusNeighbour::Direction::kRight;
        if (grid) grid->scrollBy(0, (forward ? 1 : -1) * (from.frame.height() + kGridRowGap));
        page = contents();
        const auto again = page ? page->indexOf(*node) : std::nullopt;
        if (again) next = FocusNeighbour::next(*page, *again, direction);
    }
    if (next && page) {
        const PageNode target = page->entries()[static_cast<std::size_t>(*next)].node;
        m_ring.focusOn(*page, target);
        const auto* entry = page->find(target);
        if (entry != nullptr && entry->view && entry->visibleRect != entry->frame) {
            PageScroller::scrollToShow(*entry->view, FocusRingPainter::kReach);
            page = contents();
        }
        if (page) announce(*page, target);
    }
    m_window.update();
    return true;
}

bool KeyboardFocus::takesActivationKey(const KeyPress& press) {
    const WindowKey key = press.key;
    if (press.command || (key != WindowKey::kSpace && key != WindowKey::kEnter)) return false;
    const auto node = focusedNode();
    if (!node) return false;
    if (key != WindowKey::kSpace) return true;
    auto page = contents();
    const auto* entry = page ? page->find(*node) : nullptr;
    const auto table = entry ? std::dynamic_pointer_cast<TableView>(entry->view) : nullptr;
    // With no row selected yet, Space selects the first one, as Down does.
    return !table || !table->indexPathForSelectedRow();
}

std::optional<PageNode> KeyboardFocus::focusedNode() {
    if (!m_ring.isSet()) return std::nullopt;
    auto page = contents();
    return page ? m_ring.focused(*page) : std::nullopt;
}

std::optional<PageNode> KeyboardFocus::accessibleFocus() {
    auto page = contents();
    if (!page) return std::nullopt;
    if (const auto node = m_ring.isSet() ? m_ring.focused(*page) : std::nullopt) {
        if (const auto* entry = page->find(*node)) return spokenNode(*entry);
    }
    const auto* row = m_announcedRow ? page->find(*m_announcedRow) : nullptr;
    if (row != nullptr && row->selected) return m_announcedRow;
    return std::nullopt;
}

void KeyboardFocus::moveFocus(int step) {
    auto page = contents();
    if (!page) return;
    const auto node = m_ring.move(*page, step);
    if (!node) return;
    const auto* entry = page->find(*node);
    if (entry != nullptr && entry->view && entry->visibleRect != entry->frame &&
        (node->kind == PageNode::Kind::kView || node->kind == PageNode::Kind::kLink)) {
        PageScroller::scrollToShow(*entry->view, FocusRingPainter::kReach);
        page = contents();
    }
    if (page) announce(*page, *node);
    m_window.update();
}

bool KeyboardFocus::focusOn(const PageNode& node) {
    auto page = contents();
    if (!page || !m_ring.focusOn(*page, node)) return false;
    announce(*page, node);
    m_window.update();
    return true;
}

std::optional<std::string> KeyboardFocus::activate(const PageNode& node) {
    auto page = contents();
    const auto* entry = page ? page->find(node) : nullptr;
    if (entry == nullptr) return std::nullopt;
    if (auto table = std::dynamic_pointer_cast<TableView>(entry->view)) {
        const auto selected = table->indexPathForSelectedRow();
        if (!selected) {
            // Nothing to open yet: the first row is selected, as Down does.
            auto root = m_window.modelRoot();
            auto name = root ? m_router.key(*root, InputRouter::Key::kDown) : std::nullopt;
            afterRoutedInput();
            m_window.update();
            return name;
        }
        table->scrollToRowAtIndexPath(*selected);
        page = contents();
        entry =
            page ? page->find(PageNode::of(PageNode::Kind::kRow, table.get(), *selected)) : nullptr;
        if (entry == nullptr) return std::nullopt;
    } else if (entry->view && entry->visibleRect != entry->frame &&
               node.kind == PageNode::Kind::kView) {
        PageScroller::scrollToShow(*entry->view, FocusRingPainter::kReach);
        page = contents();
        entry = page ? page->find(node) : nullptr;
        if (entry == nullptr) return std::nullopt;
    }
    return m_window.tapAt(m_window.modelToWidget().map(entry->tapPoint));
}

void KeyboardFocus::scroll(PageScroller::Step step) {
    auto root = m_window.modelRoot();
    View* pageView = root ? InputRouter::topPageView(*root) : nullptr;
    if (pageView == nullptr) return;
    std::shared_ptr<View> focusedView;
    if (auto page = contents()) {
        if (auto node = m_ring.isSet() ? m_ring.focused(*page) : std::nullopt) {
            if (const auto* entry = page->find(*node)) focusedView = entry->view;
        }
    }
    if (auto target = PageScroller::scrollViewFor(*pageView, focusedView.get())) {
        PageScroller::scroll(*target, step);
        m_window.update();
    }
}

void KeyboardFocus::afterRoutedInput() {
    auto root = m_window.modelRoot();
    View* pageView = root ? InputRouter::topPageView(*root) : nullptr;
    auto table = pageView ? InputRouter::firstTable(*pageView) : nullptr;
    const auto selected = table ? table->indexPathForSelectedRow() : std::nullopt;
    if (!selected) {
        m_announcedRow.reset();
        return;
    }
    const PageNode row = PageNode::of(PageNode::Kind::kRow, table.get(), *selected);
    if (m_announcedRow == row) return;
    m_announcedRow = row;
    auto page = contents();
    if (!page) return;
    // While the ring shows, it follows the keys onto the table they move in.
    if (m_ring.isSet()) m_ring.focusOn(*page, PageNode::of(PageNode::Kind::kView, table.get()));
    announce(*page, row);
}

void KeyboardFocus::announce(const PageContents& contents, const PageNode& node) {
    const auto* entry = contents.find(node);
    if (entry == nullptr) return;
    const PageNode spoken = spokenNode(*entry);
    if (spoken.kind == PageNode::Kind::kRow) m_announcedRow = spoken;
    AccessibleWindow::announceFocus(m_window, spoken);
}

void KeyboardFocus::paintRing(QPainter& painter, View& root) {
    if (!m_ring.isSet()) return;
    const PageContents page(root, m_web);
    const auto node = m_ring.focused(page);
    const auto* entry = node ? page.find(*node) : nullptr;
    const Rect canvas = root.frame();
    if (entry != nullptr) {
        FocusRingPainter::paint(painter, entry->visibleRect,
                                QRectF(0, 0, canvas.width, canvas.height));
    }
}

}  // namespace platform
