#include "SPSqlite3Cursur.h"

#include "SPSqlite3.h"

#include <sqlite3.h>

void SPSqlite3Cursur::FinalizeStatement::operator()(sqlite3_stmt* statement) const {
    // The answer repeats the last step's error, which resultCode() already holds.
    sqlite3_finalize(statement);
}

SPSqlite3Cursur::SPSqlite3Cursur() = default;
SPSqlite3Cursur::~SPSqlite3Cursur() = default;

std::shared_ptr<SPSqlite3Cursur> SPSqlite3Cursur::init() {
    return std::make_shared<SPSqlite3Cursur>();
}

void SPSqlite3Cursur::query(const SPSqlite3& connection, const std::string& sql) {
    close();
    open(connection, sql);
    next();
}

void SPSqlite3Cursur::open(const SPSqlite3& connection, const std::string& sql) {
    close();
    sqlite3* database = connection.database();
    if (database == nullptr) {
        m_resultCode = SQLITE_MISUSE;
        return;
    }
    sqlite3_stmt* statement = nullptr;
    // Only the first SQL statement of the text is prepared; the rest is ignored.
    m_resultCode = sqlite3_prepare_v2(database, sql.c_str(), -1, &statement, nullptr);
    m_statement.reset(statement);
}

void SPSqlite3Cursur::next() {
    if (!m_statement) {
        // SQLite answers a step on no statement with SQLITE_MISUSE; say so without relying on it.
        m_resultCode = SQLITE_MISUSE;
        return;
    }
    m_resultCode = sqlite3_step(m_statement.get());
    m_valuesInRow = m_resultCode == SQLITE_ROW ? sqlite3_data_count(m_statement.get()) : 0;
}

void SPSqlite3Cursur::reset() {
    m_valuesInRow = 0;
    m_resultCode = m_statement ? sqlite3_reset(m_statement.get()) : SQLITE_OK;
    next();
}

bool SPSqlite3Cursur::endOfCursor() const {
    return m_resultCode == SQLITE_DONE;
}

int SPSqlite3Cursur::rowCount() const {
    return m_statement ? sqlite3_data_count(m_statement.get()) : 0;
}

int SPSqlite3Cursur::columnCount() const {
    return m_statement ? sqlite3_column_count(m_statement.get()) : 0;
}

// The count is kept by every step, reset and close, so this also checks that a row is current.
bool SPSqlite3Cursur::isValueIndex(std::uint32_t index) const {
    return index < static_cast<std::uint32_t>(m_valuesInRow);
}

std::string SPSqlite3Cursur::getColumnName(std::uint32_t index) const {
    if (index >= static_cast<std::uint32_t>(columnCount())) return "";
    const char* name = sqlite3_column_name(m_statement.get(), static_cast<int>(index));
    return name ? std::string(name) : std::string();
}

std::string SPSqlite3Cursur::getColumnAsString(std::uint32_t index) const {
    if (!isValueIndex(index)) return "";
    // sqlite3_column_text and sqlite3_column_bytes lock the connection once each; through the
    // column's value it is locked once. The value is read at once, on the one thread this class
    // is used from, which is all the unprotected value allows. Text first, then its size: the
    // size refers to the text form just produced.
    sqlite3_value* value = sqlite3_column_value(m_statement.get(), static_cast<int>(index));
    const auto* text = sqlite3_value_text(value);
    if (text == nullptr) return "";
    const int size = sqlite3_value_bytes(value);
    return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
}

std::uint32_t SPSqlite3Cursur::getColumnAsInteger(std::uint32_t index) const {
    if (!isValueIndex(index)) return 0;
    return static_cast<std::uint32_t>(
        sqlite3_column_int(m_statement.get(), static_cast<int>(index)));
}

void SPSqlite3Cursur::close() {
    m_statement.reset();
    m_valuesInRow = 0;
}
