#include "Classes/SPLibrary/SPSqlite3.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kOk = 0;
constexpr int kError = 1;
constexpr int kMisuse = 21;
constexpr int kRow = 100;

class SPSqlite3CursurTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db.openMemory();
        db.exec(
            "CREATE TABLE t (id INTEGER, label TEXT, note TEXT);"
            "INSERT INTO t VALUES (1, 'one', NULL), (-1, 'minus', 'x'), (2147483647, 'max', '')");
        ASSERT_EQ(db.resultCode(), kOk);
    }

    // Every row's values as text, read from the cursor's current position to the end.
    static std::vector<std::string> remainingIds(SPSqlite3Cursur& cursor) {
        std::vector<std::string> ids;
        while (cursor.resultCode() == kRow) {
            ids.push_back(cursor.getColumnAsString(0));
            cursor.next();
        }
        return ids;
    }

    SPSqlite3 db;
};

TEST_F(SPSqlite3CursurTest, FreshCursorHasNothingToGive) {
    SPSqlite3Cursur cursor;
    EXPECT_EQ(cursor.resultCode(), kOk);
    EXPECT_FALSE(cursor.endOfCursor());
    EXPECT_EQ(cursor.rowCount(), 0);
    EXPECT_EQ(cursor.columnCount(), 0);
    EXPECT_EQ(cursor.getColumnName(0), "");
    EXPECT_EQ(cursor.getColumnAsString(0), "");
    EXPECT_EQ(cursor.getColumnAsInteger(0), 0u);
    cursor.next();
    EXPECT_EQ(cursor.resultCode(), kMisuse);
    cursor.reset();
    EXPECT_EQ(cursor.resultCode(), kMisuse);
    cursor.close();
    EXPECT_EQ(cursor.resultCode(), kMisuse);
}

TEST_F(SPSqlite3CursurTest, ColumnsOfARow) {
    auto cursor = db.query("SELECT id, label, note FROM t ORDER BY id");
    ASSERT_EQ(cursor->resultCode(), kRow);
    const struct {
        std::uint32_t index;
        const char* name;
        const char* text;
        std::uint32_t integer;
    } columns[] = {
        {0, "id", "-1", 4294967295u},
        {1, "label", "minus", 0},
        {2, "note", "x", 0},
        // Out of range, including the largest index.
        {3, "", "", 0},
        {4294967295u, "", "", 0},
    };
    for (const auto& column : columns) {
        EXPECT_EQ(cursor->getColumnName(column.index), column.name) << column.index;
        EXPECT_EQ(cursor->getColumnAsString(column.index), column.text) << column.index;
        EXPECT_EQ(cursor->getColumnAsInteger(column.index), column.integer) << column.index;
    }
    EXPECT_EQ(cursor->rowCount(), 3);
    EXPECT_EQ(cursor->columnCount(), 3);

    cursor->next();
    EXPECT_EQ(cursor->getColumnAsString(2), "");  // SQL NULL
    EXPECT_EQ(cursor->getColumnAsInteger(0), 1u);
    cursor->next();
    EXPECT_EQ(cursor->getColumnAsInteger(0), 2147483647u);

    cursor->next();
    ASSERT_TRUE(cursor->endOfCursor());
    EXPECT_EQ(cursor->rowCount(), 0);
    EXPECT_EQ(cursor->columnCount(), 3);
    EXPECT_EQ(cursor->getColumnName(1), "label");
    EXPECT_EQ(cursor->getColumnAsString(1), "");  // no current row
    EXPECT_EQ(cursor->getColumnAsInteger(0), 0u);
}

TEST_F(SPSqlite3CursurTest, TextWithAnEmbeddedNulComesBackWhole) {
    auto cursor = db.query("SELECT CAST(X'61006200' AS TEXT)");
    EXPECT_EQ(cursor->getColumnAsString(0), std::string("a\0b\0", 4));
}

TEST_F(SPSqlite3CursurTest, ResetStartsOverFromAnyPosition) {
    auto cursor = db.query("SELECT id FROM t ORDER BY id");
    EXPECT_EQ(remainingIds(*cursor), (std::vector<std::string>{"-1", "1", "2147483647"}));
    EXPECT_TRUE(cursor->endOfCursor());
    cursor->reset();
    EXPECT_EQ(cursor->resultCode(), kRow);
    cursor->next();
    cursor->reset();
    EXPECT_EQ(remainingIds(*cursor), (std::vector<std::string>{"-1", "1", "2147483647"}));
}

TEST_F(SPSqlite3CursurTest, QueryAgainReplacesTheStatement) {
    auto cursor = SPSqlite3Cursur::init();
    cursor->query(db, "SELECT id FROM t WHERE id = 1");
    EXPECT_EQ(cursor->getColumnAsInteger(0), 1u);
    cursor->query(db, "SELECT label, note FROM t WHERE id = 2147483647");
    EXPECT_EQ(cursor->columnCount(), 2);
    EXPECT_EQ(cursor->getColumnAsString(0), "max");
    cursor->query(db, "SELECT nothing FROM nowhere");
    EXPECT_EQ(cursor->resultCode(), kMisuse);
    EXPECT_EQ(cursor->columnCount(), 0);
}

TEST_F(SPSqlite3CursurTest, OpenPreparesWithoutStepping) {
    SPSqlite3Cursur cursor;
    cursor.open(db, "SELECT id FROM t");
    EXPECT_EQ(cursor.resultCode(), kOk);
    EXPECT_EQ(cursor.rowCount(), 0);
    EXPECT_EQ(cursor.columnCount(), 1);
    cursor.open(db, "SELECT id, label FROM t");  // the first statement is finalized, not leaked
    cursor.next();
    EXPECT_EQ(cursor.resultCode(), kRow);
    EXPECT_EQ(cursor.rowCount(), 2);

    SPSqlite3 closed;
    cursor.open(closed, "SELECT 1");
    EXPECT_EQ(cursor.resultCode(), kMisuse);
    EXPECT_EQ(cursor.columnCount(), 0);
}

TEST_F(SPSqlite3CursurTest, AFailingStepLeavesTheCursorInError) {
    auto cursor = db.query("SELECT abs(-9223372036854775807 - 1)");
    EXPECT_EQ(cursor->resultCode(), kError);
    EXPECT_FALSE(cursor->endOfCursor());
    EXPECT_EQ(cursor->getColumnAsString(0), "");
    EXPECT_EQ(db.resultCode(), kError);
}

TEST_F(SPSqlite3CursurTest, CloseKeepsTheCode) {
    auto cursor = db.query("SELECT id FROM t");
    cursor->close();
    EXPECT_EQ(cursor->resultCode(), kRow);
    EXPECT_EQ(cursor->columnCount(), 0);
    EXPECT_EQ(cursor->getColumnAsString(0), "");
    cursor->next();
    EXPECT_EQ(cursor->resultCode(), kMisuse);
}

}  // namespace
