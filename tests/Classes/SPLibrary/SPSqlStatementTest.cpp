#include "Classes/SPLibrary/SPSqlStatement.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

struct TextCase {
    const char* name;
    std::function<std::string()> build;
    std::string expected;
};

TEST(SPSqlStatementTest, TemplatesListsAndConditionsGiveTheirExactTexts) {
    const Strings abc{"a", "b", "c"};
    const Strings xy{"x = 1", "y = 2"};
    const TextCase cases[] = {
        {"update", [] { return SPSqlStatement::statementAsUpdate("t", "a = 1", "id = 2"); },
         "UPDATE `t` SET a = 1 WHERE id = 2"},
        {"insert with columns",
         [] { return SPSqlStatement::statementAsInsertInto("t", "`a`, `b`", "1, 2"); },
         "INSERT INTO `t` (`a`, `b`) VALUES (1, 2)"},
        {"insert values", [] { return SPSqlStatement::statementAsInsertInto("t", "1, 'x'"); },
         "INSERT INTO `t` VALUES (1, 'x')"},
        {"delete, table bare", [] { return SPSqlStatement::statementAsDeleteFrom("t", "id = 3"); },
         "DELETE FROM t WHERE id = 3"},
        {"alias", [] { return SPSqlStatement::alias("count(*)", "n"); }, "count(*) AS `n`"},
        {"select", [] { return SPSqlStatement::statementAsSelect("a, b", "t", "1")->string(); },
         "SELECT a, b FROM t WHERE 1"},
        {"fragments pasted unchanged",
         [] { return SPSqlStatement::statementAsUpdate("we`ird", "s = 'it''s %d'", "\"q\""); },
         "UPDATE `we`ird` SET s = 'it''s %d' WHERE \"q\""},
        // One item.
        {"raw array, one item", [] { return *SPSqlStatement::rawCommaListWithArray({"a"}); }, "a"},
        {"comma array, one item", [] { return *SPSqlStatement::commaListWithArray({"a"}); }, "`a`"},
        {"comma strings, one item", [] { return SPSqlStatement::commaListWithStrings("a"); },
         "`a`"},
        {"or array, one item", [] { return *SPSqlStatement::orConditionWithArray({"a"}); },
         "( a )"},
        {"or strings, one item", [] { return SPSqlStatement::orConditionWithStrings("a"); }, "(a)"},
        // Three items: the array raw list has two blanks after the comma, the strings form one.
        {"raw array", [&] { return *SPSqlStatement::rawCommaListWithArray(abc); }, "a,  b,  c"},
        {"raw strings",
         [] { return SPSqlStatement::rawCommaListWithStrings("a", std::string("b"), "c"); },
         "a, b, c"},
        {"comma array", [&] { return *SPSqlStatement::commaListWithArray(abc); }, "`a`, `b`, `c`"},
        {"comma strings", [] { return SPSqlStatement::commaListWithStrings("a", "b", "c"); },
         "`a`, `b`, `c`"},
        {"and array", [&] { return *SPSqlStatement::andConditionWithArray(xy); },
         "( x = 1 AND  y = 2 )"},
        {"and strings", [] { return SPSqlStatement::andConditionWithStrings("x = 1", "y = 2"); },
         "(x = 1 AND y = 2)"},
        {"or array", [&] { return *SPSqlStatement::orConditionWithArray(xy); },
         "( x = 1 OR  y = 2 )"},
        {"or strings", [] { return SPSqlStatement::orConditionWithStrings("x = 1", "y = 2"); },
         "(x = 1 OR y = 2)"},
        {"custom array, bare separator",
         [&] { return *SPSqlStatement::customListSeparatedByWithArray("|", abc); }, "a| b| c"},
        {"custom strings, bare separator",
         [] { return SPSqlStatement::customListSeparatedByWithStrings("|", "a", "b", "c"); },
         "a| b| c"},
        // Modifiers.
        {"init", [] { return SPSqlStatement::init()->string(); }, ""},
        {"initWithString", [] { return SPSqlStatement::initWithString("SELECT 1")->string(); },
         "SELECT 1"},
        {"limit -1", [] { return SPSqlStatement().limit(4294967295u).string(); }, " LIMIT -1"},
        {"limit 2^31", [] { return SPSqlStatement().limit(2147483648u).string(); },
         " LIMIT -2147483648"},
        {"limit offset,count", [] { return SPSqlStatement().limit(10, 20).string(); },
         " LIMIT 10,20"},
        {"group by", [] { return SPSqlStatement("S").groupBy("g").string(); }, "S GROUP BY g"},
        {"whole select",
         [] {
             auto statement = SPSqlStatement::statementAsSelect("a, count(*)", "t", "a > 0");
             statement->groupBy("a", "count(*) > 1").orderBy("a DESC").limit(5);
             return statement->string();
         },
         "SELECT a, count(*) FROM t WHERE a > 0 GROUP BY a HAVING count(*) > 1 ORDER BY a DESC "
         "LIMIT 5"},
        {"clauses in call order",
         [] { return SPSqlStatement::statementWithString("S")->limit(1).orderBy("o").string(); },
         "S LIMIT 1 ORDER BY o"},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(testCase.build(), testCase.expected) << testCase.name;
    }
}

TEST(SPSqlStatementTest, ArrayFormsAnswerAbsentAndEmptyListsWithNoResult) {
    using ArrayForm = std::function<std::optional<std::string>(const Strings*)>;
    const std::pair<const char*, ArrayForm> forms[] = {
        {"raw", [](const Strings* l) { return SPSqlStatement::rawCommaListWithArray(l); }},
        {"comma", [](const Strings* l) { return SPSqlStatement::commaListWithArray(l); }},
        {"custom",
         [](const Strings* l) { return SPSqlStatement::customListSeparatedByWithArray(";", l); }},
        {"or", [](const Strings* l) { return SPSqlStatement::orConditionWithArray(l); }},
        {"and", [](const Strings* l) { return SPSqlStatement::andConditionWithArray(l); }},
    };
    const Strings empty;
    const Strings oneEmptyItem{""};
    for (const auto& [name, form] : forms) {
        EXPECT_EQ(form(nullptr), std::nullopt) << name;
        EXPECT_EQ(form(&empty), std::nullopt) << name;
        // A list holding one empty text is not empty.
        EXPECT_TRUE(form(&oneEmptyItem).has_value()) << name;
    }
}

// A null C string is the end marker of a variable-argument list: the items before it are the
// list, and a null first item leaves none (the empty text, never an exception).
TEST(SPSqlStatementTest, StringFormsEndTheListAtTheFirstNullText) {
    const char* none = nullptr;
    const std::string b = "b";
    const TextCase cases[] = {
        {"raw, null first", [&] { return SPSqlStatement::rawCommaListWithStrings(none, "a"); }, ""},
        {"comma, null first", [&] { return SPSqlStatement::commaListWithStrings(none); }, ""},
        {"or, null first", [&] { return SPSqlStatement::orConditionWithStrings(none, "a"); }, ""},
        {"and, null first", [&] { return SPSqlStatement::andConditionWithStrings(none); }, ""},
        {"custom, null first",
         [&] { return SPSqlStatement::customListSeparatedByWithStrings("|", none, "a"); }, ""},
        {"raw, null second", [&] { return SPSqlStatement::rawCommaListWithStrings("a", none); },
         "a"},
        {"raw, null in the middle",
         [&] { return SPSqlStatement::rawCommaListWithStrings("a", b, none, "c"); }, "a, b"},
        {"comma, null in the middle",
         [&] { return SPSqlStatement::commaListWithStrings("a", none, "c"); }, "`a`"},
        {"or, null in the middle",
         [&] { return SPSqlStatement::orConditionWithStrings("a", b, none, "c"); }, "(a OR b)"},
        {"and, null in the middle",
         [&] { return SPSqlStatement::andConditionWithStrings("a", none, b); }, "(a)"},
        {"custom, null in the middle",
         [&] { return SPSqlStatement::customListSeparatedByWithStrings("|", "a", none, b); }, "a"},
        {"nullptr ends it too",
         [&] { return SPSqlStatement::orConditionWithStrings("a", b, nullptr); }, "(a OR b)"},
        {"an empty text is an item, not an end",
         [&] { return SPSqlStatement::rawCommaListWithStrings("", b); }, ", b"},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(testCase.build(), testCase.expected) << testCase.name;
    }
}

TEST(SPSqlStatementTest, ModifiersReturnTheSameObjectAndStringIsTheHeldText) {
    SPSqlStatement statement("SELECT * FROM t");
    const std::string& held = statement.string();
    EXPECT_EQ(&statement.groupBy("a"), &statement);
    EXPECT_EQ(&statement.groupBy("a", "b"), &statement);
    EXPECT_EQ(&statement.orderBy("a"), &statement);
    EXPECT_EQ(&statement.limit(1), &statement);
    EXPECT_EQ(&statement.limit(1, 2), &statement);
    EXPECT_EQ(&statement.string(), &held);
    EXPECT_EQ(held, "SELECT * FROM t GROUP BY a GROUP BY a HAVING b ORDER BY a LIMIT 1 LIMIT 1,2");
}

TEST(SPSqlStatementTest, ClassOperationsReturnNewObjects) {
    auto first = SPSqlStatement::statementWithString("x");
    auto second = SPSqlStatement::statementWithString("x");
    first->orderBy("y");
    EXPECT_NE(first, second);
    EXPECT_EQ(second->string(), "x");
}

}  // namespace
