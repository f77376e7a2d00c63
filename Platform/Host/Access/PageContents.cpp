#include "PageContents.h"

#include "ControlWalk.h"
#include "Platform/Host/Paint/NavigationBarLayout.h"
#include "Platform/Host/Paint/ViewPainters.h"
#include "Platform/Host/Paint/WebContentCache.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/ImageView.h"
#include "Platform/UI/Label.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/NavigationSites.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/WebView.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

QRectF windowFrame(const View& view) {
    const Point origin = view.convertPointToAncestor({0, 0}, nullptr);
    const Rect shown = view.presentationFrame();
    return {origin.x, origin.y, shown.width, shown.height};
}

// Whether `view` lies at least partly where its superview shows subviews: in
// a scroll view's whole content, or inside any other view's bounds.
bool liesInsideSuperview(const View& view) {
    const View* parent = view.superview();
    if (parent == nullptr) return true;
    Rect area = parent->bounds();
    if (const auto* scroll = dynamic_cast<const ScrollView*>(parent)) {
        area.width = std::max(area.width, scroll->contentSize().width);
        area.height = std::max(area.height, scroll->contentSize().height);
    }
    const Rect frame = view.frame();
    return frame.x < area.width && frame.y < area.height && frame.x + frame.width > 0 &&
           frame.y + frame.height > 0;
}

// What a bar button reads as: its label, else its name without a file type.
std::string barButtonName(const BarButtonItem& item) {
    return item.accessibilityLabel().empty() ? PageContents::imageTitle(item.accessibilityName())
                                             : item.accessibilityLabel();
}

// The texts of the labels inside `view` other than `except`, in order: a row
// reads all it shows (a search result its category too).
void collectLabelTexts(const View& view, const Label* except, std::string& out) {
    for (const auto& subview : view.subviews()) {
        if (subview->isHidden()) continue;
        const auto* label = dynamic_cast<const Label*>(subview.get());
        if (label != nullptr && label != except && !label->text().empty()) {
            out += ", " + label->text();
        }
        collectLabelTexts(*subview, except, out);
    }
}

}  // namespace

// Builds the entries depth first: each node's entry, then its children's.
class PageContents::Walker {
  public:
    Walker(PageContents& contents, WebContentCache& web) : m_contents(contents), m_web(web) {}

    void addBar(const NavigationSite& site) {
        if (site.bar == nullptr || site.bar->isHidden() || !m_contents.m_page) return;
        const NavigationBarState state = site.controller->navigationBarState();
        const QRectF bar = windowFrame(*site.bar);
        const NavigationBarLayout layout(state, bar.width());
        const Object& page = *m_contents.m_page;
        const auto button = [&](PageNode::Kind kind, const QRectF& rect, std::string name) {
            Entry& entry = add(kind, page, -1);
            entry.role = QAccessible::Button;
            entry.name = std::move(name);
            entry.frame = rect.translated(bar.topLeft());
            entry.visibleRect = entry.frame;
            entry.tapPoint = entry.frame.center();
            entry.focusable = true;
        };
        if (const auto& back = layout.back()) {
            button(PageNode::Kind::kBack, *back, "Back");
            m_contents.m_entries.back().description = state.backTitle.value_or("");
        } else if (const auto& left = layout.left(); left && state.left) {
            button(PageNode::Kind::kLeftBarButton, *left, barButtonName(*state.left));
        }
        addTitle(state, layout.title().translated(bar.topLeft()), page);
        if (const auto& right = layout.right(); right && state.right) {
            button(PageNode::Kind::kRightBarButton, *right, barButtonName(*state.right));
        }
    }

    void addView(View& view, int parent, const QRectF& clip);

  private:
    friend class ViewWalk;

    Entry& entryAt(int position) {
        return m_contents.m_entries[static_cast<std::size_t>(position)];
    }

    int index(const Entry& entry) const {
        return static_cast<int>(&entry - m_contents.m_entries.data());
    }

    Entry& add(PageNode::Kind kind, const Object& subject, int parent) {
        auto& entries = m_contents.m_entries;
        const int position = static_cast<int>(entries.size());
        entries.push_back(Entry{});
        entries.back().subject = subject.shared_from_this();
        entries.back().node = PageNode::of(kind, &subject);
        entries.back().parent = parent;
        if (parent < 0) {
            m_contents.m_topLevel.push_back(position);
        } else {
            entryAt(parent).children.push_back(position);
        }
        return entries.back();
    }

    Entry& addViewEntry(View& view, int parent, const QRectF& frame, const QRectF& visible,
                        QAccessible::Role role) {
        Entry& entry = add(PageNode::Kind::kView, view, parent);
        entry.role = role;
        entry.name = view.accessibilityLabel();
        entry.frame = frame;
        entry.visibleRect = visible;
        entry.tapPoint = (visible.isEmpty() ? frame : visible).center();
        entry.view = std::static_pointer_cast<View>(view.shared_from_this());
        return entry;
    }

    void addTitle(const NavigationBarState& state, const QRectF& room, const Object& page) {
        if (state.titleView) {
            const Rect size = state.titleView->presentationFrame();
            const QRectF shown(room.center().x() - size.width / 2,
                               room.center().y() - size.height / 2, size.width, size.height);
            std::string name = state.titleView->accessibilityName();
            const auto* image = dynamic_cast<const ImageView*>(state.titleView.get());
            if (name.empty() && image && image->image())
                name = PageContents::imageTitle(image->image()->name());
            Entry& entry = add(PageNode::Kind::kBarTitle, page, -1);
            entry.role = image ? QAccessible::Graphic : QAccessible::StaticText;
            entry.name = std::move(name);
            entry.frame = shown.intersected(room);
            entry.visibleRect = entry.frame;
        } else if (!state.title.empty()) {
            Entry& entry = add(PageNode::Kind::kBarTitle, page, -1);
            entry.role = QAccessible::StaticText;
            entry.name = state.title;
            entry.frame = room;
            entry.visibleRect = room;
        }
    }

    void addRows(TableView& table, int parent, const QRectF& visible) {
        const QRectF tableFrame = windowFrame(table);
        const Point offset = table.contentOffset();
        const auto selected = table.indexPathForSelectedRow();
        auto source = table.dataSource().lock();
        std::optional<int> section;
        for (const auto& [indexPath, cell] : table.visibleCells()) {
            if (indexPath.section != section && source) {
                section = indexPath.section;
                addSectionHeading(table, *source, parent, indexPath, tableFrame, offset, visible);
            }
            const Rect row = table.rectForRowAtIndexPath(indexPath);
            const QRectF frame(tableFrame.x() + row.x - offset.x, tableFrame.y() + row.y - offset.y,
                               row.width, row.height);
            Entry& entry = add(PageNode::Kind::kRow, table, parent);
            entry.node.row = indexPath;
            entry.role = QAccessible::ListItem;
            entry.name = cell->textLabel().text();
            if (entry.name.empty()) entry.name = cell->accessibilityLabel();
            collectLabelTexts(*cell, &cell->textLabel(), entry.name);
            entry.frame = frame;
            entry.visibleRect = frame.intersected(visible);
            entry.tapPoint = (entry.visibleRect.isEmpty() ? frame : entry.visibleRect).center();
            entry.selected = selected == indexPath;
            entry.view = std::static_pointer_cast<View>(cell->shared_from_this());
        }
    }

    // A section's heading stands just above its first shown row.
    void addSectionHeading(TableView& table, TableViewDataSource& source, int parent,
                           IndexPath first, const QRectF& tableFrame, Point offset,
                           const QRectF& visible) {
        const std::string title =
            source.tableViewAccessibilityTitleForSection(table, first.section);
        if (title.empty()) return;
        const Rect row = table.rectForRowAtIndexPath(first);
        // Read where the section starts: over its first row.
        const QRectF frame(tableFrame.x() + row.x - offset.x, tableFrame.y() + row.y - offset.y,
                           row.width, row.height);
        Entry& entry = add(PageNode::Kind::kSectionHeading, table, parent);
        entry.node.row = IndexPath{first.section, -1};
        entry.role = QAccessible::Heading;
        entry.name = title;
        entry.frame = frame;
        entry.visibleRect = frame.intersected(visible);
        entry.view = std::static_pointer_cast<View>(table.shared_from_this());
    }

    void addLinks(WebView& web, int parent, QPointF origin, const QRectF& visible) {
        const auto& links = web.links();
        for (std::size_t link = 0; link < links.size(); ++link) {
            const auto lines = m_web.linkRects(web, link);
            if (lines.empty()) continue;
            QRectF whole;
            for (const QRectF& line : lines) whole = whole.united(line.translated(origin));
            Entry& entry = add(PageNode::Kind::kLink, web, parent);
            entry.node.link = link;
            entry.role = QAccessible::Link;
            entry.name = links[link].text;
            entry.description = links[link].url.absoluteString();
            entry.frame = whole;
            entry.visibleRect = whole.intersected(visible);
            entry.tapPoint = lines.front().translated(origin).center();
            entry.focusable = true;
            entry.view = std::static_pointer_cast<View>(web.shared_from_this());
        }
    }

    // A plain view: a named one with something inside is a group; an unnamed
    // one gives its children to its parent. A scroll view (or a view that
    // clips) limits where its children show.
    void addContainer(View& view, int parent, const QRectF& frame, const QRectF& visible,
                      const QRectF& clip) {
        const bool scrolls = dynamic_cast<ScrollView*>(&view) != nullptr;
        const QRectF childClip = scrolls || view.clipsToBounds() ? visible : clip;
        int into = parent;
        if (!view.accessibilityName().empty() && (!view.subviews().empty() || scrolls)) {
            Entry& entry = addViewEntry(view, parent, frame, visible,
                                        scrolls ? QAccessible::Pane : QAccessible::Grouping);
            into = index(entry);
        }
        const auto subviews = view.subviews();
        for (const auto& subview : subviews) addView(*subview, into, childClip);
    }

    PageContents& m_contents;
    WebContentCache& m_web;
};

// The walk at one view, as that view's adapter sees it.
class PageContents::ViewWalk final : public ControlWalk {
  public:
    ViewWalk(Walker& walker, View& view, int parent, const QRectF& frame, const QRectF& visible)
        : m_walker(walker), m_view(view), m_parent(parent), m_frame(frame), m_visible(visible) {}

    Entry& addEntry(QAccessible::Role role) override {
        return m_walker.addViewEntry(m_view, m_parent, m_frame, m_visible, role);
    }
    void addRows(TableView& table, const Entry& entry) override {
        m_walker.addRows(table, m_walker.index(entry), m_visible);
    }
    void addLinks(WebView& web, const Entry& entry) override {
        m_walker.addLinks(web, m_walker.index(entry), m_frame.topLeft(), m_visible);
    }
    QRectF frame() const override { return m_frame; }
    WebContentCache& web() override { return m_walker.m_web; }

  private:
    Walker& m_walker;
    View& m_view;
    int m_parent;
    QRectF m_frame;
    QRectF m_visible;
};

void PageContents::Walker::addView(View& view, int parent, const QRectF& clip) {
    if (view.isHidden() || view.alpha() <= 0.0 || !liesInsideSuperview(view)) return;
    const QRectF frame = windowFrame(view);
    const QRectF visible = frame.intersected(clip);
    // Each control type describes itself, as registered beside its painter.
    ViewWalk walk(*this, view, parent, frame, visible);
    if (ViewPainters::shared().describe(view, walk)) return;
    if (view.acceptsTaps()) {
        // A control this walker has no word for still takes clicks.
        Entry& entry = addViewEntry(view, parent, frame, visible, QAccessible::Button);
        entry.focusable = true;
    } else {
        addContainer(view, parent, frame, visible, clip);
    }
}

std::string PageContents::imageTitle(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

PageContents::PageContents(View& root, WebContentCache& web) {
    // Tables ask their data sources for rows the first time they are shown.
    root.layoutIfNeeded();
    Walker walker(*this, web);
    const NavigationSites sites(root);
    View* pageView = &root;
    QRectF pageArea = windowFrame(root);
    if (const NavigationSite* site = sites.outermost()) {
        ViewController* top = site->controller->topViewController();
        if (top == nullptr || !top->isViewLoaded()) return;
        m_page = top->shared_from_this();
        pageView = top->view().get();
        walker.addBar(*site);
        // The stack's view, less its bar, is where the page shows.
        pageArea = windowFrame(*site->view);
        if (site->bar != nullptr && !site->bar->isHidden()) {
            pageArea.setTop(windowFrame(*site->bar).bottom());
        }
    } else {
        m_page = root.shared_from_this();
    }
    if (pageView == nullptr) return;
    // The page's own view is the page: its children are the window's.
    const QRectF clip = windowFrame(*pageView).intersected(pageArea);
    const auto subviews = pageView->subviews();
    for (const auto& subview : subviews) walker.addView(*subview, -1, clip);
}

PageContents::~PageContents() = default;

std::optional<int> PageContents::indexOf(const PageNode& node) const {
    for (std::size_t position = 0; position < m_entries.size(); ++position) {
        if (m_entries[position].node == node) return static_cast<int>(position);
    }
    return std::nullopt;
}

const PageContents::Entry* PageContents::find(const PageNode& node) const {
    const auto position = indexOf(node);
    return position ? &m_entries[static_cast<std::size_t>(*position)] : nullptr;
}

std::vector<int> PageContents::focusOrder() const {
    std::vector<int> bar;
    std::vector<int> page;
    for (std::size_t position = 0; position < m_entries.size(); ++position) {
        const Entry& entry = m_entries[position];
        if (!entry.focusable) continue;
        const bool onBar = entry.node.kind != PageNode::Kind::kView &&
                           entry.node.kind != PageNode::Kind::kLink &&
                           entry.node.kind != PageNode::Kind::kRow;
        (onBar ? bar : page).push_back(static_cast<int>(position));
    }
    std::stable_sort(page.begin(), page.end(), [this](int a, int b) {
        const QRectF& first = m_entries[static_cast<std::size_t>(a)].frame;
        const QRectF& second = m_entries[static_cast<std::size_t>(b)].frame;
        const double firstTop = std::round(first.top());
        const double secondTop = std::round(second.top());
        if (firstTop != secondTop) return firstTop < secondTop;
        return first.left() < second.left();
    });
    bar.insert(bar.end(), page.begin(), page.end());
    return bar;
}

}  // namespace platform
