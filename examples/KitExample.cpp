// Reads a small catalogue with the XML tree reader, stores its sounds in an in-memory SQLite
// database with statements from the SQL builder, and prints them back ordered by label.
#include <SPLibrary/SPSqlStatement.h>
#include <SPLibrary/SPSqlite3.h>
#include <SPLibrary/SPXML.h>

#include <cstdio>
#include <string>

namespace {

constexpr const char* kCatalogue = R"(<catalogue>
  <sound audio_no="12" label="Thunder"/>
  <sound audio_no="7" label="Applause"/>
  <sound audio_no="31" label="Bell"/>
</catalogue>)";

// SQL text literal: the label in single quotes, quotes inside doubled.
std::string quoted(const std::string& text) {
    std::string literal = "'";
    for (char c : text) {
        literal += c;
        if (c == '\'') literal += '\'';
    }
    return literal + "'";
}

}  // namespace

int main() {
    const auto reader = SPXML::initWithData(kCatalogue);
    const auto catalogue = reader ? reader->document() : nullptr;
    if (!catalogue) {
        std::fputs("the catalogue did not parse\n", stderr);
        return 1;
    }

    SPSqlite3 db;
    db.openMemory();
    db.exec("CREATE TABLE sounds (audio_no INTEGER, label TEXT)");
    for (std::size_t i = 0; i < catalogue->childCount(); ++i) {
        const auto sound = catalogue->childAt(i);
        const auto number = sound->attribute("audio_no");
        const auto label = sound->attribute("label");
        if (!number || !label) continue;
        db.exec(SPSqlStatement::statementAsInsertInto(
            "sounds", SPSqlStatement::commaListWithStrings("audio_no", "label"),
            SPSqlStatement::rawCommaListWithStrings(*number, quoted(*label))));
        if (db.resultCode() != SPSqliteResultCode::ok) {
            std::fprintf(stderr, "insert failed: %s\n", db.errorMessage().c_str());
            return 1;
        }
    }

    auto select = SPSqlStatement::statementAsSelect("audio_no, label", "sounds", "audio_no > 0");
    select->orderBy("label");
    for (auto cursor = db.queryWithStatement(*select); !cursor->endOfCursor(); cursor->next()) {
        if (cursor->resultCode() != SPSqliteResultCode::row) {
            std::fprintf(stderr, "query failed with code %d\n", cursor->resultCode());
            return 1;
        }
        std::printf("%u %s\n", cursor->getColumnAsInteger(0), cursor->getColumnAsString(1).c_str());
    }
    return 0;
}
