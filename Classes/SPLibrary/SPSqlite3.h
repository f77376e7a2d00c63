#pragma once

#include "SPSqlFormat.h"
#include "SPSqlStatement.h"
#include "SPSqlite3Cursur.h"
#include "SPSqliteResultCode.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

// A connection to one SQLite database file or private in-memory database. Every outcome is
// SQLite's numeric result code, kept in resultCode() and named in SPSqliteResultCode; exec() also
// keeps SQLite's error text until errorMessage() reads it once. Nothing is logged or thrown.
//
// Lifetime: the connection owns its handle and its unread error text. close() and destruction
// release the handle with sqlite3_close_v2, so cursors still holding statements stay safe to close
// or destroy afterwards; the handle's memory goes with the last of them. Use from one thread.
class SPSqlite3 {
  public:
    // Closed: no handle, result code 0, no error text.
    SPSqlite3();
    ~SPSqlite3();
    SPSqlite3(const SPSqlite3&) = delete;
    SPSqlite3& operator=(const SPSqlite3&) = delete;

    static std::shared_ptr<SPSqlite3> init();
    // Opened on the file; returned even when the open failed: read resultCode().
    static std::shared_ptr<SPSqlite3> initWithFilePath(const std::string& path);
    // Opened on a private in-memory database.
    static std::shared_ptr<SPSqlite3> initWithMemory();

    // The open operations close a handle that is already held first. SQLite hands out a handle
    // even for most failed opens; it is kept until close() or destruction.
    // sqlite3_open: read-write, created when missing. `path` is UTF-8.
    void openFilePath(const std::string& path);
    // sqlite3_open_v2 with SQLite's open flags passed unchanged; null for the default VFS.
    void openFilePath(const std::string& path, int flags, const char* vfsModuleOrNull);
    // A private ":memory:" database, read-write.
    void openMemory();
    // Releases the handle; resultCode() stays as it was.
    void close();

    // Runs every statement of `sql`, discarding rows. On failure SQLite's error text is kept for
    // errorMessage(); an earlier unread text is released first. A closed connection answers 21
    // (SQLITE_MISUSE) without error text.
    void exec(const std::string& sql);
    // The error text of the last failed exec(), delivered once: "" afterwards and when there is
    // none. Invalid UTF-8 sequences become U+FFFD.
    std::string errorMessage();

    // Start a query on the first SQL statement of the text; the returned cursor already stands on
    // the first row. resultCode() takes the cursor's code.
    std::shared_ptr<SPSqlite3Cursur> query(const std::string& sql);
    std::shared_ptr<SPSqlite3Cursur> queryWithString(const std::string& sql);
    std::shared_ptr<SPSqlite3Cursur> queryWithStatement(const SPSqlStatement& statement);
    // The text comes from SPSqlFormat ("%@" for texts, printf directives for numbers). When the
    // format and the arguments do not match, nothing runs: the cursor holds no statement and both
    // it and the connection answer 21 (SQLITE_MISUSE).
    template <class... A>
    std::shared_ptr<SPSqlite3Cursur> queryWithFormat(std::string_view format,
                                                     const A&... arguments) {
        const std::array<SPSqlFormat::Argument, sizeof...(A)> captured{
            SPSqlFormat::argument(arguments)...};
        return queryWithFormattedText(SPSqlFormat::format(format, captured));
    }

    int resultCode() const { return m_resultCode; }

    // The SQLite interface version this kit is written against (3.6.22), whatever is linked.
    static constexpr int versionNumber() { return 3006022; }
    // The linked library's version number.
    static int libraryVersionNumber();

    // The raw handle, borrowed: valid until close() or destruction. Null when closed.
    sqlite3* database() const { return m_database.get(); }

  private:
    struct CloseDatabase {
        void operator()(sqlite3* database) const;
    };
    struct FreeText {
        void operator()(char* text) const;
    };

    std::shared_ptr<SPSqlite3Cursur> queryWithFormattedText(const std::optional<std::string>& sql);
    void adoptHandle(sqlite3* database, int resultCode);

    std::unique_ptr<sqlite3, CloseDatabase> m_database;
    int m_resultCode = 0;
    std::unique_ptr<char, FreeText> m_errorMessage;
};
