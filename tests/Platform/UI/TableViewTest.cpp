#include "Platform/UI/TableView.h"
#include "Platform/UI/Window.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::IndexPath;
using platform::Point;
using platform::Rect;
using platform::TableView;
using platform::TableViewCell;

std::string text(IndexPath indexPath) {
    return std::to_string(indexPath.section) + "." + std::to_string(indexPath.row);
}

class CountingCell : public TableViewCell {
  public:
    explicit CountingCell(std::string identifier) : TableViewCell(std::move(identifier)) {}
    void prepareForReuse() override {
        ++reuses;
        TableViewCell::prepareForReuse();
    }
    int reuses = 0;
};

// Serves rows "section.row" through the reuse pool, and records what it was asked.
class Rows : public platform::TableViewDataSource, public platform::TableViewDelegate {
  public:
    explicit Rows(std::vector<int> counts) : counts(std::move(counts)) {}

    int numberOfSectionsInTableView(TableView&) override { return static_cast<int>(counts.size()); }
    int tableViewNumberOfRowsInSection(TableView&, int section) override {
        return counts.at(static_cast<std::size_t>(section));
    }
    std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView& table,
                                                                  IndexPath indexPath) override {
        asked.push_back(indexPath);
        if (onCell) onCell(table, indexPath);
        auto cell =
            std::static_pointer_cast<CountingCell>(table.dequeueReusableCellWithIdentifier("cell"));
        if (!cell) {
            cell = std::make_shared<CountingCell>("cell");
            ++made;
        }
        cell->textLabel().setText(text(indexPath));
        return cell;
    }
    void tableViewDidSelectRowAtIndexPath(TableView& table, IndexPath indexPath) override {
        selected.push_back(indexPath);
        if (onSelect) onSelect(table, indexPath);
    }

    std::vector<int> counts;
    std::vector<IndexPath> asked;
    std::vector<IndexPath> selected;
    int made = 0;
    std::function<void(TableView&, IndexPath)> onCell;
    std::function<void(TableView&, IndexPath)> onSelect;
};

std::shared_ptr<TableView> makeTable(const std::shared_ptr<Rows>& rows,
                                     Rect frame = {0, 0, 320, 100}) {
    auto table = std::make_shared<TableView>(frame);
    table->setDataSource(rows);
    table->setDelegate(rows);
    return table;
}

std::vector<std::string> shownTexts(const TableView& table) {
    std::vector<std::string> texts;
    for (const auto& [indexPath, cell] : table.visibleCells()) {
        EXPECT_EQ(cell->textLabel().text(), text(indexPath));
        EXPECT_EQ(cell->frame(), table.rectForRowAtIndexPath(indexPath));
        EXPECT_EQ(cell->superview(), &table);
        texts.push_back(text(indexPath));
    }
    return texts;
}

TEST(TableViewTest, AsksForDataOnlyWhenFirstNeeded) {
    auto rows = std::make_shared<Rows>(std::vector<int>{20});
    auto table = makeTable(rows);
    EXPECT_EQ(table->numberOfSections(), 0);
    EXPECT_TRUE(rows->asked.empty());
    table->layoutIfNeeded();
    EXPECT_EQ(table->numberOfSections(), 1);
    EXPECT_EQ(table->numberOfRowsInSection(0), 20);
    table->layoutIfNeeded();
    EXPECT_EQ(rows->asked.size(), 3u) << "a second layout asks nothing again";
}

TEST(TableViewTest, OnlyRowsInsideTheVisibleAreaGetCells) {
    auto rows = std::make_shared<Rows>(std::vector<int>{20});
    auto table = makeTable(rows);
    table->reloadData();
    // 100 points of 44-point rows: rows 0 to 2 overlap it.
    EXPECT_EQ(rows->asked, (std::vector<IndexPath>{{0, 0}, {0, 1}, {0, 2}}));
    EXPECT_EQ(shownTexts(*table), (std::vector<std::string>{"0.0", "0.1", "0.2"}));
    EXPECT_EQ(table->contentSize(), (platform::Size{320, 880}));
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 3}), nullptr);
}

TEST(TableViewTest, ScrollingAsksAgainAndRefillsReusedCells) {
    auto rows = std::make_shared<Rows>(std::vector<int>{20});
    auto table = makeTable(rows);
    table->reloadData();
    rows->asked.clear();

    table->setContentOffset({0, 440});
    EXPECT_EQ(rows->asked, (std::vector<IndexPath>{{0, 10}, {0, 11}, {0, 12}}));
    EXPECT_EQ(rows->made, 3) << "the cells that scrolled out were reused";
    EXPECT_EQ(shownTexts(*table), (std::vector<std::string>{"0.10", "0.11", "0.12"}));
    for (const auto& [indexPath, cell] : table->visibleCells()) {
        EXPECT_EQ(std::static_pointer_cast<CountingCell>(cell)->reuses, 1);
    }

    rows->asked.clear();
    table->scrollBy(0, 40);  // row 10 still shows its last 4 points; row 13 appears
    EXPECT_EQ(rows->asked, (std::vector<IndexPath>{{0, 13}}));
    EXPECT_EQ(shownTexts(*table), (std::vector<std::string>{"0.10", "0.11", "0.12", "0.13"}));

    rows->asked.clear();
    table->setContentOffset({0, 480});  // no change
    EXPECT_TRUE(rows->asked.empty());
    table->setContentOffset({0, 5000});  // clamped to the last screenful
    EXPECT_EQ(table->contentOffset(), (Point{0, 780}));
    EXPECT_EQ(shownTexts(*table), (std::vector<std::string>{"0.17", "0.18", "0.19"}));
}

TEST(TableViewTest, GeometryOfPlainAndGroupedTables) {
    auto rows = std::make_shared<Rows>(std::vector<int>{2, 0, 3});
    const struct {
        int style;
        double contentHeight;
        Rect row20;
        std::vector<std::pair<Point, std::optional<IndexPath>>> points;
    } cases[] = {
        {platform::kTableViewStylePlain,
         220,
         {0, 88, 320, 44},
         {{{10, 0}, IndexPath{0, 0}},
          {{10, 87.9}, IndexPath{0, 1}},
          {{10, 88}, IndexPath{2, 0}},
          {{10, 219}, IndexPath{2, 2}},
          {{10, 220}, std::nullopt},
          {{-1, 10}, std::nullopt},
          {{320, 10}, std::nullopt}}},
        {platform::kTableViewStyleGrouped,
         240,
         {0, 108, 320, 44},
         {{{10, 0}, IndexPath{0, 0}},
          {{10, 88}, std::nullopt},  // the gaps around the empty section
          {{10, 107}, std::nullopt},
          {{10, 108}, IndexPath{2, 0}},
          {{10, 239}, IndexPath{2, 2}},
          {{10, -1}, std::nullopt}}},
    };
    for (const auto& c : cases) {
        auto table = makeTable(rows, {0, 0, 320, 480});
        table->setStyle(c.style);
        table->reloadData();
        EXPECT_EQ(table->sectionSpacing(), c.style == platform::kTableViewStyleGrouped ? 10 : 0);
        EXPECT_EQ(table->contentSize().height, c.contentHeight) << c.style;
        EXPECT_EQ(table->rectForRowAtIndexPath({2, 0}), c.row20) << c.style;
        EXPECT_EQ(table->rectForRowAtIndexPath({1, 0}), platform::kRectZero) << c.style;
        for (const auto& [point, expected] : c.points) {
            EXPECT_EQ(table->indexPathForRowAtPoint(point), expected)
                << "style " << c.style << " at " << point.x << "," << point.y;
        }
        EXPECT_EQ(table->visibleCells().size(), 5u);
    }
}

TEST(TableViewTest, RowHeightAndFrameChangesShowTheRowsTheyCover) {
    auto rows = std::make_shared<Rows>(std::vector<int>{20});
    auto table = makeTable(rows);
    table->reloadData();
    table->setRowHeight(25);
    EXPECT_EQ(shownTexts(*table), (std::vector<std::string>{"0.0", "0.1", "0.2", "0.3"}));
    table->setFrame({0, 0, 200, 150});
    EXPECT_EQ(shownTexts(*table),
              (std::vector<std::string>{"0.0", "0.1", "0.2", "0.3", "0.4", "0.5"}));
    EXPECT_EQ(table->visibleCells()[0].second->frame(), (Rect{0, 0, 200, 25}));

    const struct {
        double requested, expected;
    } heights[] = {{0, 1}, {-10, 1}, {NAN, 1}, {30, 30}, {INFINITY, 30}};
    for (const auto& h : heights) {
        table->setRowHeight(h.requested);
        EXPECT_EQ(table->rowHeight(), h.expected) << h.requested;
    }
}

TEST(TableViewTest, UntrustedCountsAndCellsHaveDefinedOutcomes) {
    class Hostile : public platform::TableViewDataSource {
      public:
        int numberOfSectionsInTableView(TableView&) override { return sections; }
        int tableViewNumberOfRowsInSection(TableView&, int section) override {
            return section % 2 ? -5 : rows;
        }
        std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(
            TableView&, IndexPath indexPath) override {
            if (indexPath.row == 1) return nullptr;
            if (indexPath.row == 2) return shared;  // the same cell for two rows
            if (indexPath.row == 3) return shared;
            return std::make_shared<TableViewCell>("");
        }
        int sections = 0;
        int rows = 0;
        std::shared_ptr<TableViewCell> shared = std::make_shared<TableViewCell>("cell");
    };
    auto hostile = std::make_shared<Hostile>();
    auto table = std::make_shared<TableView>(Rect{0, 0, 320, 44 * 5});
    table->setDataSource(hostile);

    const struct {
        int sections, rows, expectedSections, expectedRowsInFirst;
    } cases[] = {
        {-1, 10, 0, 0},
        {3, -1, 3, 0},
        {4, 10, 4, 10},
        {INT_MAX, INT_MAX, TableView::kMaximumSections, INT_MAX},
    };
    for (const auto& c : cases) {
        hostile->sections = c.sections;
        hostile->rows = c.rows;
        table->reloadData();
        EXPECT_EQ(table->numberOfSections(), c.expectedSections) << c.sections;
        EXPECT_EQ(table->numberOfRowsInSection(0), c.expectedRowsInFirst) << c.sections;
        EXPECT_EQ(table->numberOfRowsInSection(1), 0) << "negative rows count as none";
        EXPECT_EQ(table->numberOfRowsInSection(-1), 0);
        EXPECT_EQ(table->numberOfRowsInSection(INT_MAX), 0);
    }
    // Rows 0 to 4 of section 0 are visible: row 1 gave no cell, row 3 repeated row 2's.
    EXPECT_EQ(table->visibleCells().size(), 3u);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 1}), nullptr);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 2}), hostile->shared);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 3}), nullptr);
    // Half the sections hold INT_MAX rows each; only the few visible ones got cells.
    const double expectedHeight = 44.0 * INT_MAX * (TableView::kMaximumSections / 2);
    EXPECT_NEAR(table->contentSize().height, expectedHeight, expectedHeight * 1e-9);
}

TEST(TableViewTest, TapsSelectRowsAndReportThemOutOfRangeOnesAreIgnored) {
    auto rows = std::make_shared<Rows>(std::vector<int>{3, 2});
    auto table = makeTable(rows, {0, 0, 320, 480});
    table->reloadData();

    const IndexPath ignored[] = {{-1, 0}, {0, -1}, {0, 3}, {2, 0}, {1, 2}, {INT_MAX, INT_MAX}};
    for (const auto& indexPath : ignored) table->tapRowAtIndexPath(indexPath);
    EXPECT_TRUE(rows->selected.empty());
    EXPECT_FALSE(table->indexPathForSelectedRow());

    table->tapRowAtIndexPath({1, 1});
    EXPECT_EQ(rows->selected, (std::vector<IndexPath>{{1, 1}}));
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{1, 1}));
    EXPECT_TRUE(table->cellForRowAtIndexPath({1, 1})->isSelected());

    table->tapAt({100, 50});  // row 1 of section 0
    EXPECT_EQ(rows->selected.back(), (IndexPath{0, 1}));
    EXPECT_FALSE(table->cellForRowAtIndexPath({1, 1})->isSelected());
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 1})->isSelected());

    table->tapAt({100, 300});  // below the last row
    EXPECT_EQ(rows->selected.size(), 2u);

    table->deselectRowAtIndexPath({1, 0}, true);  // not the selected row
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath{0, 1}));
    table->deselectRowAtIndexPath({0, 1}, true);
    EXPECT_FALSE(table->indexPathForSelectedRow());
    EXPECT_FALSE(table->cellForRowAtIndexPath({0, 1})->isSelected());

    table->selectRowAtIndexPath({0, 2});
    EXPECT_EQ(rows->selected.size(), 2u) << "selecting from code reports nothing";
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 2})->isSelected());
    table->reloadData();
    EXPECT_FALSE(table->indexPathForSelectedRow()) << "a reload clears the selection";
}

TEST(TableViewTest, TapsUseTheContentOffsetAndReachTheTableThroughItsCells) {
    auto rows = std::make_shared<Rows>(std::vector<int>{20});
    auto window = std::make_shared<platform::Window>(Rect{0, 0, 320, 480});
    auto table = makeTable(rows, {0, 64, 320, 300});
    window->addSubview(table);
    window->layoutIfNeeded();
    table->setContentOffset({0, 440});

    EXPECT_TRUE(window->deliverTap({30, 64 + 50}));  // on row 11's label
    EXPECT_EQ(rows->selected, (std::vector<IndexPath>{{0, 11}}));
}

TEST(TableViewTest, SelectedRowsScrolledBackIntoViewShowAsSelected) {
    auto rows = std::make_shared<Rows>(std::vector<int>{20});
    auto table = makeTable(rows);
    table->reloadData();
    table->tapRowAtIndexPath({0, 1});
    table->setContentOffset({0, 440});
    for (const auto& [indexPath, cell] : table->visibleCells()) EXPECT_FALSE(cell->isSelected());
    table->setContentOffset({0, 0});
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 1})->isSelected());
}

TEST(TableViewTest, ScrollToRowScrollsTheLeastThatShowsItWhole) {
    auto rows = std::make_shared<Rows>(std::vector<int>{20});
    auto table = makeTable(rows);
    const struct {
        IndexPath row;
        double expectedOffset;
    } steps[] = {{{0, 1}, 0},    {{0, 5}, 164},  {{0, 4}, 164}, {{0, 2}, 88},
                 {{0, 19}, 780}, {{0, 20}, 780}, {{3, 0}, 780}};
    for (const auto& step : steps) {
        table->scrollToRowAtIndexPath(step.row);
        EXPECT_EQ(table->contentOffset().y, step.expectedOffset) << step.row.row;
        const bool exists = table->rectForRowAtIndexPath(step.row) != platform::kRectZero;
        EXPECT_EQ(table->cellForRowAtIndexPath(step.row) != nullptr, exists) << step.row.row;
    }
}

TEST(TableViewTest, ReloadPutsCellsInThePoolForDequeueAfterPrepareForReuse) {
    auto rows = std::make_shared<Rows>(std::vector<int>{20});
    auto table = makeTable(rows);
    table->reloadData();
    rows->counts = {1};
    rows->onCell = [](TableView& t, IndexPath) {
        // Seen from inside the data source: three pooled cells, one of another kind.
        EXPECT_EQ(t.dequeueReusableCellWithIdentifier("other"), nullptr);
    };
    table->reloadData();
    EXPECT_EQ(rows->made, 3);
    EXPECT_EQ(shownTexts(*table), (std::vector<std::string>{"0.0"}));
    auto pooled = table->dequeueReusableCellWithIdentifier("cell");
    ASSERT_TRUE(pooled);
    EXPECT_EQ(std::static_pointer_cast<CountingCell>(pooled)->reuses, 1);
    EXPECT_EQ(pooled->superview(), nullptr);
    EXPECT_TRUE(table->dequeueReusableCellWithIdentifier("cell"));
    EXPECT_EQ(table->dequeueReusableCellWithIdentifier("cell"), nullptr);
}

TEST(TableViewTest, TapsAreIgnoredOnceTheDelegateIsReleased) {
    auto rows = std::make_shared<Rows>(std::vector<int>{3});
    auto table = makeTable(rows);
    auto other = std::make_shared<Rows>(std::vector<int>{});
    table->setDelegate(other);
    table->reloadData();
    other.reset();
    table->tapRowAtIndexPath({0, 0});
    table->tapAt({10, 10});
    EXPECT_FALSE(table->indexPathForSelectedRow());
    EXPECT_TRUE(rows->selected.empty());
}

TEST(TableViewTest, AReleasedDataSourceLeavesAnEmptyTable) {
    auto rows = std::make_shared<Rows>(std::vector<int>{3});
    auto table = makeTable(rows);
    table->reloadData();
    rows.reset();
    table->reloadData();
    EXPECT_EQ(table->numberOfSections(), 0);
    EXPECT_TRUE(table->visibleCells().empty());
}

// A page that owns its table and is the table's data source and delegate.
class Page : public Rows {
  public:
    Page() : Rows({10}) {}
    std::shared_ptr<TableView> table;
};

TEST(TableViewTest, ADelegateMayReloadTheTableInsideTheCallback) {
    auto page = std::make_shared<Page>();
    page->table = makeTable(page);
    page->table->reloadData();
    page->onSelect = [&](TableView& table, IndexPath) {
        page->counts = {2, 2};
        table.reloadData();
        table.deselectRowAtIndexPath({0, 0}, true);
    };
    page->table->tapRowAtIndexPath({0, 0});
    EXPECT_EQ(page->table->numberOfSections(), 2);
    EXPECT_FALSE(page->table->indexPathForSelectedRow());
    EXPECT_EQ(shownTexts(*page->table), (std::vector<std::string>{"0.0", "0.1", "1.0"}));
}

TEST(TableViewTest, ADelegateMayReleaseTheTablesOwnerInsideTheCallback) {
    auto page = std::make_shared<Page>();
    std::weak_ptr<TableView> weakTable;
    {
        page->table = makeTable(page);
        weakTable = page->table;
    }
    page->table->reloadData();
    page->onSelect = [&](TableView&, IndexPath) { page->table.reset(); };
    weakTable.lock()->tapRowAtIndexPath({0, 2});
    EXPECT_TRUE(weakTable.expired());
    EXPECT_EQ(page->selected, (std::vector<IndexPath>{{0, 2}}));
}

TEST(TableViewTest, ATapDeliveredThroughTheTreeMayReleaseTheWholeTree) {
    auto page = std::make_shared<Page>();
    auto window = std::make_shared<platform::Window>(Rect{0, 0, 320, 480});
    page->table = makeTable(page, {0, 0, 320, 480});
    window->addSubview(page->table);
    window->layoutIfNeeded();
    std::weak_ptr<platform::Window> weakWindow = window;
    std::weak_ptr<TableView> weakTable = page->table;
    page->onSelect = [&](TableView&, IndexPath) {
        page->table.reset();
        window.reset();  // the window dies inside its own deliverTap
    };
    platform::Window* raw = window.get();
    EXPECT_TRUE(raw->deliverTap({10, 10}));
    EXPECT_TRUE(weakWindow.expired());
    EXPECT_TRUE(weakTable.expired());
}

TEST(TableViewTest, ADataSourceMayReloadOrReleaseInsideACellRequest) {
    auto page = std::make_shared<Page>();
    page->table = makeTable(page);
    bool reloaded = false;
    page->onCell = [&](TableView& table, IndexPath) {
        if (reloaded) return;
        reloaded = true;
        page->counts = {1};
        table.reloadData();
    };
    page->table->reloadData();
    EXPECT_EQ(shownTexts(*page->table), (std::vector<std::string>{"0.0"}));
    EXPECT_EQ(page->table->numberOfRowsInSection(0), 1);

    std::weak_ptr<TableView> weakTable = page->table;
    page->onCell = [&](TableView&, IndexPath) { page->table.reset(); };
    weakTable.lock()->setContentOffset({0, 0});  // nothing new to show: no request
    page->counts = {10};
    weakTable.lock()->reloadData();
    EXPECT_TRUE(weakTable.expired());
}

}  // namespace
