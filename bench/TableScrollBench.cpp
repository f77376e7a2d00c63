// Scrolling a long table: each step retires the rows that left the screen and
// fills the rows that came in from the reuse pool, so the cost of a step should
// not depend on how many rows the table has.
#include "Platform/UI/TableView.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

class Rows : public platform::TableViewDataSource {
  public:
    explicit Rows(int count) : m_count(count) {}
    int tableViewNumberOfRowsInSection(platform::TableView&, int) override { return m_count; }
    std::shared_ptr<platform::TableViewCell> tableViewCellForRowAtIndexPath(
        platform::TableView& table, platform::IndexPath indexPath) override {
        auto cell = table.dequeueReusableCellWithIdentifier("cell");
        if (!cell) cell = platform::TableViewCell::initWithFrameReuseIdentifier({}, "cell");
        cell->textLabel().setText(std::to_string(indexPath.row));
        return cell;
    }

  private:
    int m_count;
};

// One screen (416 points) of 44-point rows scrolled by one row per step.
void BM_ScrollOneRow(benchmark::State& state) {
    auto rows = std::make_shared<Rows>(static_cast<int>(state.range(0)));
    auto table = std::make_shared<platform::TableView>(platform::Rect{0, 0, 320, 416});
    table->setDataSource(rows);
    table->reloadData();
    const double last = table->contentSize().height - 416;
    double offset = 0;
    for (auto _ : state) {
        offset = offset + 44 > last ? 0 : offset + 44;
        table->setContentOffset({0, offset});
        benchmark::DoNotOptimize(table->visibleCells().size());
    }
}
BENCHMARK(BM_ScrollOneRow)->Arg(100)->Arg(100000)->Arg(10000000);

// Hit testing a tap through a window, a table and a cell to the row.
void BM_HitTestRow(benchmark::State& state) {
    auto rows = std::make_shared<Rows>(1000);
    auto root = std::make_shared<platform::View>(platform::Rect{0, 0, 320, 480});
    auto table = std::make_shared<platform::TableView>(platform::Rect{0, 64, 320, 416});
    table->setDataSource(rows);
    root->addSubview(table);
    root->layoutIfNeeded();
    for (auto _ : state) benchmark::DoNotOptimize(root->hitTest({160, 300}));
}
BENCHMARK(BM_HitTestRow);

}  // namespace

BENCHMARK_MAIN();
