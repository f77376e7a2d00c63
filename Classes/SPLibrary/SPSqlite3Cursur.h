#pragma once

#include "SPSqliteResultCode.h"

#include <cstdint>
#include <memory>
#include <string>

struct sqlite3_stmt;
class SPSqlite3;

// A cursor over the rows of one prepared statement. Every outcome is SQLite's numeric result code,
// kept in resultCode() and named in SPSqliteResultCode: row (100) while it stands on a row, done
// (101) at the end, anything else after an error. Nothing is logged or thrown.
//
// Lifetime: the cursor keeps no reference to its connection; it takes the connection's handle
// for each query and holds only the prepared statement. Close or destroy a cursor before its
// connection: cursors first, the connection last. The other order is forgiven, not intended: a
// connection closed while a cursor still holds a statement lingers (SQLite keeps its memory)
// until this cursor finalizes the statement on close() or destruction.
class SPSqlite3Cursur {
  public:
    // No statement, result code 0.
    SPSqlite3Cursur();
    ~SPSqlite3Cursur();
    SPSqlite3Cursur(const SPSqlite3Cursur&) = delete;
    SPSqlite3Cursur& operator=(const SPSqlite3Cursur&) = delete;

    static std::shared_ptr<SPSqlite3Cursur> init();

    // Finalizes any held statement, prepares the first SQL statement of `sql` on the connection's
    // current handle, then steps once: afterwards the cursor stands on the first row (100), at
    // the end (101) or on an error code. When the text does not prepare (or the connection is
    // closed) the cursor holds no statement and the step on nothing answers 21 (SQLITE_MISUSE).
    // The connection's error text is never touched.
    void query(const SPSqlite3& connection, const std::string& sql);
    // Prepares without stepping; the code of the prepare goes to resultCode(). A statement already
    // held is finalized first.
    void open(const SPSqlite3& connection, const std::string& sql);

    // One step; with no statement the code is 21 (SQLITE_MISUSE).
    void next();
    // Rewinds the statement and steps to the first row again (or the end).
    void reset();
    // True exactly when resultCode() is 101 (SQLITE_DONE).
    bool endOfCursor() const;

    // The number of values in the current row: 0 when the cursor is not on a row. Not the number
    // of result rows.
    int rowCount() const;
    // The number of result columns of the statement, 0 without a statement.
    int columnCount() const;

    // Column access by index from 0. An index out of range, no statement, or (for the values) no
    // current row gives "" or 0; an SQL NULL value gives "".
    std::string getColumnName(std::uint32_t index) const;
    std::string getColumnAsString(std::uint32_t index) const;
    // The 32-bit value taken as unsigned: a stored -1 reads as 4294967295.
    std::uint32_t getColumnAsInteger(std::uint32_t index) const;

    // Finalizes the statement; resultCode() stays as it was.
    void close();

    int resultCode() const { return m_resultCode; }

  private:
    struct FinalizeStatement {
        void operator()(sqlite3_stmt* statement) const;
    };

    bool isValueIndex(std::uint32_t index) const;

    int m_resultCode = 0;
    std::unique_ptr<sqlite3_stmt, FinalizeStatement> m_statement;
    // sqlite3_data_count after the last step: 0 unless a row is current. Kept so that column
    // access checks its index without a call into SQLite.
    int m_valuesInRow = 0;
};
