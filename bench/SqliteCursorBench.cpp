// Stepping a cursor over a million rows and reading two columns, against the same loop on the
// bare SQLite interface in the same run. The difference is what the wrapper costs per row.
#include "Classes/SPLibrary/SPSqlite3.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <time.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int kRows = 1'000'000;
constexpr const char* kQuery = "SELECT id, label FROM t";

// One shared database for every loop, filled once.
SPSqlite3& database() {
    static const std::unique_ptr<SPSqlite3> db = [] {
        auto made = std::make_unique<SPSqlite3>();
        made->openMemory();
        made->exec(
            "CREATE TABLE t (id INTEGER, label TEXT);"
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
            "INSERT INTO t SELECT i, 'row ' || i FROM n;");
        if (made->resultCode() != 0) std::abort();
        return made;
    }();
    return *db;
}

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

Statement prepareBare() {
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(database().database(), kQuery, -1, &raw, nullptr);
    return Statement(raw, sqlite3_finalize);
}

struct Scan {
    int rows = 0;
    std::uint64_t checksum = 0;
};

// Both scans read the integer column and copy nothing else than what each interface hands out:
// the bare loop a pointer and a length, the cursor a std::string.
Scan scanBare(sqlite3_stmt* statement) {
    Scan scan;
    sqlite3_reset(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        scan.checksum += static_cast<std::uint32_t>(sqlite3_column_int(statement, 0));
        const unsigned char* text = sqlite3_column_text(statement, 1);
        scan.checksum += static_cast<std::uint64_t>(sqlite3_column_bytes(statement, 1)) + text[0];
        ++scan.rows;
    }
    return scan;
}

// The same SQLite calls the cursor makes: the text through the column's value, one lock.
Scan scanBareByValue(sqlite3_stmt* statement) {
    Scan scan;
    sqlite3_reset(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        scan.checksum += static_cast<std::uint32_t>(sqlite3_column_int(statement, 0));
        sqlite3_value* value = sqlite3_column_value(statement, 1);
        const unsigned char* text = sqlite3_value_text(value);
        scan.checksum += static_cast<std::uint64_t>(sqlite3_value_bytes(value)) + text[0];
        ++scan.rows;
    }
    return scan;
}

Scan scanCursor(SPSqlite3Cursur& cursor) {
    Scan scan;
    for (cursor.reset(); cursor.resultCode() == SQLITE_ROW; cursor.next()) {
        scan.checksum += cursor.getColumnAsInteger(0);
        const std::string label = cursor.getColumnAsString(1);
        scan.checksum += label.size() + static_cast<unsigned char>(label[0]);
        ++scan.rows;
    }
    return scan;
}

void check(benchmark::State& state, const Scan& scan) {
    if (scan.rows != kRows) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(scan.checksum);
}

void BM_BareSqliteStep(benchmark::State& state) {
    const Statement statement = prepareBare();
    for (auto _ : state) check(state, scanBare(statement.get()));
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_CursorStep(benchmark::State& state) {
    SPSqlite3Cursur cursor;
    cursor.open(database(), kQuery);
    for (auto _ : state) check(state, scanCursor(cursor));
    state.SetItemsProcessed(state.iterations() * kRows);
}

// This thread's CPU time in seconds: other processes on a shared machine do not count.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The scans alternate in every iteration, so caches and clock speed treat them alike.
// overhead_pct is the cursor's extra CPU time over the usual bare loop (column_text and
// column_bytes); same_calls_pct over a bare loop making the very SQLite calls the cursor makes,
// which is the cost of the wrapper itself (its checks and the std::string it returns).
void BM_CursorOverheadAlternating(benchmark::State& state) {
    const Statement statement = prepareBare();
    SPSqlite3Cursur cursor;
    cursor.open(database(), kQuery);
    double bare = 0;
    double bareByValue = 0;
    double wrapped = 0;
    for (auto _ : state) {
        const double start = threadSeconds();
        check(state, scanBare(statement.get()));
        const double afterBare = threadSeconds();
        check(state, scanBareByValue(statement.get()));
        const double afterByValue = threadSeconds();
        check(state, scanCursor(cursor));
        wrapped += threadSeconds() - afterByValue;
        bareByValue += afterByValue - afterBare;
        bare += afterBare - start;
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["bare_ms"] = bare * 1000.0 / iterations;
    state.counters["same_calls_ms"] = bareByValue * 1000.0 / iterations;
    state.counters["cursor_ms"] = wrapped * 1000.0 / iterations;
    state.counters["overhead_pct"] = (wrapped / bare - 1.0) * 100.0;
    state.counters["same_calls_pct"] = (wrapped / bareByValue - 1.0) * 100.0;
}

BENCHMARK(BM_BareSqliteStep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CursorStep)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CursorOverheadAlternating)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
