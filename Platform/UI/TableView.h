#pragma once

#include "IndexPath.h"
#include "ScrollView.h"
#include "TableViewCell.h"
#include "WindowCommands.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

template <class T>
class LayoutAttributes;

class TableView;
class TableRowGeometry;

// What a table asks of its data source. Empty defaults.
class TableViewDataSource {
  public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfSectionsInTableView(TableView&) { return 1; }
    virtual int tableViewNumberOfRowsInSection(TableView&, int /*section*/) { return 0; }
    // Null gives an empty row.
    virtual std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView&, IndexPath) {
        return nullptr;
    }
    // What assistive technology reads as the heading of `section` (the table
    // draws none); empty: no heading.
    virtual std::string tableViewAccessibilityTitleForSection(TableView&, int /*section*/) {
        return {};
    }
};

// What a table reports to its delegate. Empty defaults.
class TableViewDelegate {
  public:
    virtual ~TableViewDelegate() = default;
    virtual void tableViewDidSelectRowAtIndexPath(TableView&, IndexPath) {}
    // The context menu of a row (a right click, the menu key on the selected row).
    virtual std::vector<WindowCommand> tableViewContextCommandsForRowAtIndexPath(TableView&,
                                                                                 IndexPath) {
        return {};
    }
};

enum TableViewStyle : int { kTableViewStylePlain = 0, kTableViewStyleGrouped = 1 };

// A scrolling list of sections and rows. Cells exist only for the rows inside
// the visible area (frame height at the content offset); they are asked of the
// data source on reloadData and whenever scrolling or resizing shows new rows.
// Cells that scroll out go to a reuse pool keyed by their reuse identifier.
class TableView : public ScrollView {
  public:
    TableView();
    explicit TableView(Rect frame);
    ~TableView() override;
    std::string_view typeName() const override { return "TableView"; }

    // The attributes layouts may give this type beyond those of every view.
    static void describeLayoutAttributes(LayoutAttributes<TableView>& attributes);

    // Non-owning; a data source or delegate that has gone is treated as absent.
    void setDataSource(std::weak_ptr<TableViewDataSource> dataSource);
    const std::weak_ptr<TableViewDataSource>& dataSource() const { return m_dataSource; }
    void setDelegate(std::weak_ptr<TableViewDelegate> delegate);

    int style() const { return m_style; }
    void setStyle(int style);
    double rowHeight() const { return m_rowHeight; }
    void setRowHeight(double height);
    // Gap between sections (grouped style: 10 points, plain: 0).
    double sectionSpacing() const;
    const Color& separatorColor() const { return m_separatorColor; }
    void setSeparatorColor(Color color) { m_separatorColor = color; }

    // Asks the data source again for sections and rows, drops every visible cell
    // into the reuse pool, clears the selection, and asks for the visible cells.
    void reloadData();
    // A cell no longer shown that was made with `identifier`, or nullptr.
    std::shared_ptr<TableViewCell> dequeueReusableCellWithIdentifier(std::string_view identifier);

    int numberOfSections() const { return static_cast<int>(m_rowCounts.size()); }
    // 0 for a section out of range.
    int numberOfRowsInSection(int section) const;
    Rect rectForRowAtIndexPath(IndexPath indexPath) const;
    std::optional<IndexPath> indexPathForRowAtPoint(Point contentPoint) const;
    // The cells now shown, in index-path order.
    std::vector<std::pair<IndexPath, std::shared_ptr<TableViewCell>>> visibleCells() const;
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(IndexPath indexPath) const;

    std::optional<IndexPath> indexPathForSelectedRow() const { return m_selected; }
    void selectRowAtIndexPath(IndexPath indexPath);
    void deselectRowAtIndexPath(IndexPath indexPath, bool animated);
    // A user's tap on a row: selects it and reports it to the delegate.
    // Rows out of range are ignored, and so is every tap while there is no
    // delegate (a selection nobody clears would stay highlighted).
    void tapRowAtIndexPath(IndexPath indexPath);
    void tapAt(Point point) override;
    // The delegate's context menu of the row at `point`, which is selected
    // first, as a click would (without opening it).
    std::vector<WindowCommand> contextCommands(Point point) override;
    // Scrolls the least amount that shows the row whole.
    void scrollToRowAtIndexPath(IndexPath indexPath);

    void setContentOffset(Point offset) override;

    // The most sections a table lists; a data source answering more is cut to it.
    static constexpr int kMaximumSections = 1 << 20;

    // Rows are the table's width wide, one row height tall, sections one after
    // another with sectionSpacing between them. Points given to tapAt are in the
    // table's own coordinates (its visible top-left is 0,0); rows and
    // indexPathForRowAtPoint are in content coordinates (add the content offset).
    bool acceptsTaps() const override { return true; }
    // A resize shows the rows the new frame covers (and reflows their width).
    void layoutSubviews() override;
    // Loads the data the first time the table is needed (see reloadData).
    void layoutIfNeeded() override;

  private:
    void reloadIfNeeded();
    void layoutVisibleCells();
    void updateContentSize();
    void showCell(IndexPath indexPath, std::shared_ptr<TableViewCell> cell);
    void enqueueReusableCell(std::shared_ptr<TableViewCell> cell);
    void takeFromReusePool(const TableViewCell& cell);
    bool isShown(const TableViewCell& cell) const;
    // The table asks for data lazily: at the first reloadData, layoutIfNeeded,
    // tap, scroll or resize after it was made or got a new data source.
    bool m_needsReload = true;
    // Advanced by every reload and layout pass. A pass that sees it change
    // across a data-source or delegate callback stops: a newer pass, started
    // from inside that callback, has already done the work.
    std::uint64_t m_pass = 0;
    std::unique_ptr<TableRowGeometry> m_geometry;
    std::weak_ptr<TableViewDataSource> m_dataSource;
    std::weak_ptr<TableViewDelegate> m_delegate;
    int m_style = kTableViewStylePlain;
    double m_rowHeight = 44.0;
    Color m_separatorColor{0.878f, 0.878f, 0.878f, 1.0f};
    std::vector<int> m_rowCounts;
    std::map<IndexPath, std::shared_ptr<TableViewCell>> m_visible;
    std::multimap<std::string, std::shared_ptr<TableViewCell>, std::less<>> m_reusePool;
    std::optional<IndexPath> m_selected;
};

}  // namespace platform
