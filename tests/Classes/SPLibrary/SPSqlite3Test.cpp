#include "Classes/SPLibrary/SPSqlite3.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <string>

namespace {

constexpr int kOk = 0;
constexpr int kError = 1;
constexpr int kCantOpen = 14;
constexpr int kMisuse = 21;
constexpr int kRow = 100;
constexpr int kDone = 101;

// The number of rows of `table`, read through a separate cursor.
std::uint32_t countRows(SPSqlite3& db, const std::string& table) {
    return db.query("SELECT count(*) FROM " + table)->getColumnAsInteger(0);
}

// SQLite's own count of bytes it holds; back at the baseline once every handle it gave out has
// been released. The baseline is taken after one open and close, so lazy process-wide set-up
// does not count.
long long sqliteBytesAfterWarmUp() {
    SPSqlite3::initWithMemory()->close();
    return sqlite3_memory_used();
}

TEST(SPSqlite3Test, FreshConnectionIsClosedWithNoErrorText) {
    SPSqlite3 db;
    EXPECT_EQ(db.database(), nullptr);
    EXPECT_EQ(db.resultCode(), kOk);
    EXPECT_EQ(db.errorMessage(), "");
    EXPECT_EQ(SPSqlite3::init()->resultCode(), kOk);
}

TEST(SPSqlite3Test, VersionNumbers) {
    EXPECT_EQ(SPSqlite3::versionNumber(), 3006022);
    EXPECT_EQ(SPSqlite3::libraryVersionNumber(), sqlite3_libversion_number());
}

TEST(SPSqlite3Test, ExecErrorTextIsDeliveredOnce) {
    auto db = SPSqlite3::initWithMemory();
    ASSERT_EQ(db->resultCode(), kOk);
    db->exec("INSERT INTO missing VALUES (1)");
    EXPECT_EQ(db->resultCode(), kError);
    EXPECT_EQ(db->errorMessage(), "no such table: missing");
    EXPECT_EQ(db->errorMessage(), "");

    // An unread text is replaced (and released: the leak checker watches) by the next failure,
    // and cleared by a success.
    db->exec("SELECT * FROM first");
    db->exec("SELECT * FROM second");
    EXPECT_EQ(db->errorMessage(), "no such table: second");
    db->exec("SELECT * FROM third");
    db->exec("CREATE TABLE t (a)");
    EXPECT_EQ(db->resultCode(), kOk);
    EXPECT_EQ(db->errorMessage(), "");
    // Left unread at destruction.
    db->exec("SELECT * FROM never_read");
}

TEST(SPSqlite3Test, ErrorTextIsUtf8) {
    const struct {
        const char* sql;
        const char* expected;
    } cases[] = {
        {"SELECT * FROM tabl\xC3\xA9", "no such table: tabl\xC3\xA9"},
        {"SELECT * FROM \xE6\x97\xA5", "no such table: \xE6\x97\xA5"},
        // A byte that is no UTF-8 comes back as U+FFFD.
        {"SELECT * FROM t\xFF", "no such table: t\xEF\xBF\xBD"},
    };
    SPSqlite3 db;
    db.openMemory();
    for (const auto& testCase : cases) {
        db.exec(testCase.sql);
        EXPECT_EQ(db.errorMessage(), testCase.expected) << testCase.sql;
    }
}

TEST(SPSqlite3Test, QueryRunsOnlyTheFirstStatementExecRunsAll) {
    auto db = SPSqlite3::initWithMemory();
    db->exec("CREATE TABLE t (a INTEGER)");
    const std::string two = "INSERT INTO t VALUES (1); INSERT INTO t VALUES (2)";
    db->query(two);
    EXPECT_EQ(db->resultCode(), kDone);
    EXPECT_EQ(countRows(*db, "t"), 1u);
    db->exec(two);
    EXPECT_EQ(db->resultCode(), kOk);
    EXPECT_EQ(countRows(*db, "t"), 3u);
}

TEST(SPSqlite3Test, QueryCodesFollowTheCursor) {
    auto db = SPSqlite3::initWithMemory();
    db->exec("CREATE TABLE empty (a); CREATE TABLE full (a); INSERT INTO full VALUES (1)");
    const struct {
        const char* sql;
        int code;
        bool end;
    } cases[] = {
        {"SELECT a FROM empty", kDone, true},
        {"SELECT a FROM full", kRow, false},
        {"SELEC a FROM full", kMisuse, false},
        {"SELECT a FROM nowhere", kMisuse, false},
        // No statement at all prepares to nothing; the step on nothing is misuse.
        {"", kMisuse, false},
        {"-- a comment only", kMisuse, false},
    };
    for (const auto& testCase : cases) {
        auto cursor = db->queryWithString(testCase.sql);
        EXPECT_EQ(db->resultCode(), testCase.code) << testCase.sql;
        EXPECT_EQ(cursor->resultCode(), testCase.code) << testCase.sql;
        EXPECT_EQ(cursor->endOfCursor(), testCase.end) << testCase.sql;
    }
}

TEST(SPSqlite3Test, FailedQueryLeavesTheUnreadExecTextAlone) {
    auto db = SPSqlite3::initWithMemory();
    db->exec("DROP TABLE gone");
    db->query("SELECT FROM WHERE");
    EXPECT_EQ(db->resultCode(), kMisuse);
    EXPECT_EQ(db->errorMessage(), "no such table: gone");
}

TEST(SPSqlite3Test, StatementsAndFormatsBuildTheQueries) {
    auto db = SPSqlite3::initWithMemory();
    db->exec("CREATE TABLE sounds (id INTEGER, label TEXT)");
    db->exec(SPSqlStatement::statementAsInsertInto(
        "sounds", *SPSqlStatement::commaListWithArray({"id", "label"}),
        SPSqlStatement::rawCommaListWithStrings("1", "'one'")));
    db->exec(SPSqlStatement::statementAsInsertInto("sounds", "2, 'two'"));
    db->exec(SPSqlStatement::statementAsInsertInto("sounds", "3, 'three'"));
    db->exec(SPSqlStatement::statementAsUpdate("sounds", "label = 'TWO'", "id = 2"));
    db->exec(SPSqlStatement::statementAsDeleteFrom("sounds", "id = 3"));
    ASSERT_EQ(db->resultCode(), kOk);

    auto select = SPSqlStatement::statementAsSelect(SPSqlStatement::alias("label", "name"),
                                                    "sounds", "id > 0");
    select->orderBy("id DESC").limit(1);
    auto cursor = db->queryWithStatement(*select);
    EXPECT_EQ(cursor->getColumnName(0), "name");
    EXPECT_EQ(cursor->getColumnAsString(0), "TWO");
    cursor->next();
    EXPECT_TRUE(cursor->endOfCursor());

    auto formatted = db->queryWithFormat("SELECT label FROM `%@` WHERE id = %d", "sounds", 1);
    EXPECT_EQ(formatted->getColumnAsString(0), "one");
    EXPECT_EQ(db->resultCode(), kRow);
}

TEST(SPSqlite3Test, MismatchedFormatRunsNothing) {
    auto db = SPSqlite3::initWithMemory();
    db->exec("CREATE TABLE t (a)");
    auto cursor = db->queryWithFormat("INSERT INTO t VALUES (%d)", "not a number");
    EXPECT_EQ(cursor->resultCode(), kMisuse);
    EXPECT_EQ(db->resultCode(), kMisuse);
    EXPECT_EQ(cursor->columnCount(), 0);
    EXPECT_EQ(countRows(*db, "t"), 0u);
}

TEST(SPSqlite3Test, MemoryDatabasesAreApart) {
    SPSqlite3 first;
    SPSqlite3 second;
    first.openMemory();
    second.openMemory();
    first.exec("CREATE TABLE only_here (a)");
    second.exec("SELECT * FROM only_here");
    EXPECT_EQ(second.resultCode(), kError);
    EXPECT_EQ(second.errorMessage(), "no such table: only_here");
}

TEST(SPSqlite3Test, FileDatabaseKeepsItsRowsAcrossConnections) {
    const std::string path = (sbtest::tempDir() / "kit.sqlite").string();
    {
        auto writer = SPSqlite3::initWithFilePath(path);
        ASSERT_EQ(writer->resultCode(), kOk);
        writer->exec("CREATE TABLE t (a); INSERT INTO t VALUES (7)");
    }
    ASSERT_TRUE(std::filesystem::exists(path));
    SPSqlite3 reader;
    reader.openFilePath(path, SQLITE_OPEN_READONLY, nullptr);
    ASSERT_EQ(reader.resultCode(), kOk);
    EXPECT_EQ(reader.query("SELECT a FROM t")->getColumnAsInteger(0), 7u);
    reader.exec("INSERT INTO t VALUES (8)");
    EXPECT_EQ(reader.resultCode(), SQLITE_READONLY);
}

TEST(SPSqlite3Test, FailedOpensKeepTheHandleAndTheirCode) {
    const std::string missingFolder = (sbtest::tempDir() / "no" / "such.sqlite").string();
    const std::string fresh = (sbtest::tempDir() / "fresh.sqlite").string();
    const struct {
        const char* name;
        std::function<void(SPSqlite3&)> open;
        int code;
    } cases[] = {
        {"missing folder", [&](SPSqlite3& db) { db.openFilePath(missingFolder); }, kCantOpen},
        {"read-only, missing file",
         [&](SPSqlite3& db) { db.openFilePath(fresh, SQLITE_OPEN_READONLY, nullptr); }, kCantOpen},
        {"unknown VFS",
         [&](SPSqlite3& db) {
             db.openFilePath(fresh, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, "no-such-vfs");
         },
         kError},
    };
    for (const auto& testCase : cases) {
        SPSqlite3 db;
        db.exec("CREATE TABLE t (a)");  // closed: misuse, no text
        EXPECT_EQ(db.resultCode(), kMisuse) << testCase.name;
        testCase.open(db);
        EXPECT_EQ(db.resultCode(), testCase.code) << testCase.name;
        EXPECT_NE(db.database(), nullptr) << testCase.name;
        EXPECT_EQ(db.errorMessage(), "") << testCase.name;
        db.close();
        EXPECT_EQ(db.database(), nullptr) << testCase.name;
        EXPECT_EQ(db.resultCode(), testCase.code) << testCase.name;
    }
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

TEST(SPSqlite3Test, ReopenClosesTheOldHandle) {
    const long long baseline = sqliteBytesAfterWarmUp();
    SPSqlite3 db;
    db.openMemory();
    db.exec("CREATE TABLE old_one (a); INSERT INTO old_one VALUES (1)");
    db.openMemory();
    EXPECT_EQ(db.resultCode(), kOk);
    db.exec("SELECT * FROM old_one");
    EXPECT_EQ(db.errorMessage(), "no such table: old_one");
    db.openFilePath((sbtest::tempDir() / "next.sqlite").string());
    db.close();
    EXPECT_EQ(sqlite3_memory_used(), baseline);
}

TEST(SPSqlite3Test, ClosingWithALiveCursorReleasesOnceTheCursorIsDone) {
    const long long baseline = sqliteBytesAfterWarmUp();
    std::shared_ptr<SPSqlite3Cursur> cursor;
    {
        auto db = SPSqlite3::initWithMemory();
        db->exec("CREATE TABLE t (a); INSERT INTO t VALUES (1), (2)");
        cursor = db->query("SELECT a FROM t");
        db->close();
        EXPECT_EQ(db->database(), nullptr);
        EXPECT_GT(sqlite3_memory_used(), baseline);
    }
    EXPECT_EQ(cursor->resultCode(), kRow);
    cursor.reset();
    EXPECT_EQ(sqlite3_memory_used(), baseline);
}

}  // namespace
