#pragma once

// SQLite's primary result codes by name, with SQLite's own values, so that callers of
// SPSqlite3 and SPSqlite3Cursur compare resultCode() without knowing SQLite's numbers
// and without including <sqlite3.h>. The kit checks at build time that each value is
// the one SQLite defines.
namespace SPSqliteResultCode {
inline constexpr int ok = 0;
inline constexpr int error = 1;
inline constexpr int internal = 2;
inline constexpr int permission = 3;
inline constexpr int abort = 4;
inline constexpr int busy = 5;
inline constexpr int locked = 6;
inline constexpr int noMemory = 7;
inline constexpr int readOnly = 8;
inline constexpr int interrupt = 9;
inline constexpr int ioError = 10;
inline constexpr int corrupt = 11;
inline constexpr int notFound = 12;
inline constexpr int full = 13;
inline constexpr int cannotOpen = 14;
inline constexpr int protocol = 15;
inline constexpr int empty = 16;
inline constexpr int schema = 17;
inline constexpr int tooBig = 18;
inline constexpr int constraint = 19;
inline constexpr int mismatch = 20;
inline constexpr int misuse = 21;
inline constexpr int noLargeFileSupport = 22;
inline constexpr int authorization = 23;
inline constexpr int format = 24;
inline constexpr int range = 25;
inline constexpr int notADatabase = 26;
// A step stands on a row.
inline constexpr int row = 100;
// A step reached the end of the rows.
inline constexpr int done = 101;
}  // namespace SPSqliteResultCode
