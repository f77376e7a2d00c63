#include "SPSqlite3.h"

#include <sqlite3.h>

#include <cstring>

// The names callers see must carry SQLite's own numbers.
static_assert(SPSqliteResultCode::ok == SQLITE_OK);
static_assert(SPSqliteResultCode::error == SQLITE_ERROR);
static_assert(SPSqliteResultCode::internal == SQLITE_INTERNAL);
static_assert(SPSqliteResultCode::permission == SQLITE_PERM);
static_assert(SPSqliteResultCode::abort == SQLITE_ABORT);
static_assert(SPSqliteResultCode::busy == SQLITE_BUSY);
static_assert(SPSqliteResultCode::locked == SQLITE_LOCKED);
static_assert(SPSqliteResultCode::noMemory == SQLITE_NOMEM);
static_assert(SPSqliteResultCode::readOnly == SQLITE_READONLY);
static_assert(SPSqliteResultCode::interrupt == SQLITE_INTERRUPT);
static_assert(SPSqliteResultCode::ioError == SQLITE_IOERR);
static_assert(SPSqliteResultCode::corrupt == SQLITE_CORRUPT);
static_assert(SPSqliteResultCode::notFound == SQLITE_NOTFOUND);
static_assert(SPSqliteResultCode::full == SQLITE_FULL);
static_assert(SPSqliteResultCode::cannotOpen == SQLITE_CANTOPEN);
static_assert(SPSqliteResultCode::protocol == SQLITE_PROTOCOL);
static_assert(SPSqliteResultCode::empty == SQLITE_EMPTY);
static_assert(SPSqliteResultCode::schema == SQLITE_SCHEMA);
static_assert(SPSqliteResultCode::tooBig == SQLITE_TOOBIG);
static_assert(SPSqliteResultCode::constraint == SQLITE_CONSTRAINT);
static_assert(SPSqliteResultCode::mismatch == SQLITE_MISMATCH);
static_assert(SPSqliteResultCode::misuse == SQLITE_MISUSE);
static_assert(SPSqliteResultCode::noLargeFileSupport == SQLITE_NOLFS);
static_assert(SPSqliteResultCode::authorization == SQLITE_AUTH);
static_assert(SPSqliteResultCode::format == SQLITE_FORMAT);
static_assert(SPSqliteResultCode::range == SQLITE_RANGE);
static_assert(SPSqliteResultCode::notADatabase == SQLITE_NOTADB);
static_assert(SPSqliteResultCode::row == SQLITE_ROW);
static_assert(SPSqliteResultCode::done == SQLITE_DONE);

namespace {

// SQLite's error texts are UTF-8, but they quote parts of the SQL, which may hold any bytes.
// Every invalid sequence becomes U+FFFD so the delivered text is always valid UTF-8.
std::string validUtf8(std::string_view bytes) {
    static constexpr std::string_view replacement = "\xEF\xBF\xBD";
    std::string text;
    text.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        std::size_t length = 0;
        unsigned int lowest = 0;  // the smallest code point of that length (no overlong forms)
        if (lead < 0x80) {
            text.push_back(static_cast<char>(lead));
            ++at;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            lowest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            lowest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            lowest = 0x10000;
        }
        bool valid = length != 0 && at + length <= bytes.size();
        unsigned int codePoint = valid ? lead & (0xFFu >> (length + 1)) : 0;
        for (std::size_t i = 1; valid && i < length; ++i) {
            const auto continuation = static_cast<unsigned char>(bytes[at + i]);
            valid = (continuation & 0xC0) == 0x80;
            codePoint = (codePoint << 6) | (continuation & 0x3F);
        }
        valid = valid && codePoint >= lowest && codePoint <= 0x10FFFF &&
                (codePoint < 0xD800 || codePoint > 0xDFFF);
        if (valid) {
            text.append(bytes.substr(at, length));
            at += length;
        } else {
            text.append(replacement);
            ++at;
        }
    }
    return text;
}

}  // namespace

void SPSqlite3::CloseDatabase::operator()(sqlite3* database) const {
    // The v2 close always succeeds: with statements still unfinalized the handle lingers until
    // the last of them is finalized, instead of staying open forever as sqlite3_close leaves it.
    sqlite3_close_v2(database);
}

void SPSqlite3::FreeText::operator()(char* text) const {
    sqlite3_free(text);
}

SPSqlite3::SPSqlite3() = default;
SPSqlite3::~SPSqlite3() = default;

std::shared_ptr<SPSqlite3> SPSqlite3::init() {
    return std::make_shared<SPSqlite3>();
}

std::shared_ptr<SPSqlite3> SPSqlite3::initWithFilePath(const std::string& path) {
    auto connection = init();
    connection->openFilePath(path);
    return connection;
}

std::shared_ptr<SPSqlite3> SPSqlite3::initWithMemory() {
    auto connection = init();
    connection->openMemory();
    return connection;
}

void SPSqlite3::adoptHandle(sqlite3* database, int resultCode) {
    m_database.reset(database);
    m_resultCode = resultCode;
}

void SPSqlite3::openFilePath(const std::string& path) {
    close();
    sqlite3* database = nullptr;
    const int resultCode = sqlite3_open(path.c_str(), &database);
    adoptHandle(database, resultCode);
}

void SPSqlite3::openFilePath(const std::string& path, int flags, const char* vfsModuleOrNull) {
    close();
    sqlite3* database = nullptr;
    const int resultCode = sqlite3_open_v2(path.c_str(), &database, flags, vfsModuleOrNull);
    adoptHandle(database, resultCode);
}

void SPSqlite3::openMemory() {
    openFilePath(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
}

void SPSqlite3::close() {
    m_database.reset();
}

void SPSqlite3::exec(const std::string& sql) {
    m_errorMessage.reset();
    if (!m_database) {
        m_resultCode = SQLITE_MISUSE;
        return;
    }
    char* errorMessage = nullptr;
    m_resultCode = sqlite3_exec(m_database.get(), sql.c_str(), nullptr, nullptr, &errorMessage);
    m_errorMessage.reset(errorMessage);
}

std::string SPSqlite3::errorMessage() {
    if (!m_errorMessage) return "";
    const std::unique_ptr<char, FreeText> delivered = std::move(m_errorMessage);
    return validUtf8(delivered.get());
}

std::shared_ptr<SPSqlite3Cursur> SPSqlite3::query(const std::string& sql) {
    return queryWithString(sql);
}

std::shared_ptr<SPSqlite3Cursur> SPSqlite3::queryWithString(const std::string& sql) {
    auto cursor = SPSqlite3Cursur::init();
    cursor->query(*this, sql);
    m_resultCode = cursor->resultCode();
    return cursor;
}

std::shared_ptr<SPSqlite3Cursur> SPSqlite3::queryWithStatement(const SPSqlStatement& statement) {
    return queryWithString(statement.string());
}

std::shared_ptr<SPSqlite3Cursur> SPSqlite3::queryWithFormattedText(
    const std::optional<std::string>& sql) {
    if (sql) return queryWithString(*sql);
    // Nothing runs; the step on no statement gives the cursor the misuse code.
    auto cursor = SPSqlite3Cursur::init();
    cursor->next();
    m_resultCode = cursor->resultCode();
    return cursor;
}

int SPSqlite3::libraryVersionNumber() {
    return sqlite3_libversion_number();
}
