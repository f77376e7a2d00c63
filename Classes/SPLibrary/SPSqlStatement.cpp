#include "SPSqlStatement.h"

#include <charconv>

namespace {

// Text pieces are appended without any format step: fragments may hold '%' and must come out as
// they went in.
template <class Range>
std::string listOf(std::string_view firstPrefix, std::string_view firstSuffix,
                   std::string_view separator, std::string_view itemPrefix,
                   std::string_view itemSuffix, const Range& items) {
    std::string text;
    bool first = true;
    for (const auto& item : items) {
        if (first) {
            text.append(firstPrefix).append(item).append(firstSuffix);
            first = false;
        } else {
            text.append(separator).append(itemPrefix).append(item).append(itemSuffix);
        }
    }
    return text;
}

// The first item bare, then "separator item" for each further one.
template <class Range>
std::string separatedList(std::string_view separator, const Range& items) {
    return listOf("", "", separator, " ", "", items);
}

// Every item in backticks: "`a`, `b`".
template <class Range>
std::string backtickedList(const Range& items) {
    return listOf("`", "`", ", ", "`", "`", items);
}

bool hasItems(const std::vector<std::string>* list) {
    return list != nullptr && !list->empty();
}

std::string decimal(std::int32_t number) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    return std::string(digits, result.ptr);
}

std::string concat(std::initializer_list<std::string_view> pieces) {
    std::string text;
    std::size_t size = 0;
    for (std::string_view piece : pieces) size += piece.size();
    text.reserve(size);
    for (std::string_view piece : pieces) text.append(piece);
    return text;
}

}  // namespace

std::shared_ptr<SPSqlStatement> SPSqlStatement::init() {
    return std::make_shared<SPSqlStatement>();
}

std::shared_ptr<SPSqlStatement> SPSqlStatement::initWithString(std::string text) {
    return std::make_shared<SPSqlStatement>(std::move(text));
}

std::shared_ptr<SPSqlStatement> SPSqlStatement::statementWithString(std::string text) {
    return initWithString(std::move(text));
}

SPSqlStatement& SPSqlStatement::groupBy(std::string_view grouping) {
    m_statement.append(" GROUP BY ").append(grouping);
    return *this;
}

SPSqlStatement& SPSqlStatement::groupBy(std::string_view grouping, std::string_view having) {
    groupBy(grouping);
    m_statement.append(" HAVING ").append(having);
    return *this;
}

SPSqlStatement& SPSqlStatement::orderBy(std::string_view ordering) {
    m_statement.append(" ORDER BY ").append(ordering);
    return *this;
}

// The casts reinterpret the unsigned number as signed 32-bit, as "%d" of it would print.
SPSqlStatement& SPSqlStatement::limit(std::uint32_t number) {
    m_statement.append(" LIMIT ").append(decimal(static_cast<std::int32_t>(number)));
    return *this;
}

SPSqlStatement& SPSqlStatement::limit(std::uint32_t offset, std::uint32_t count) {
    m_statement.append(" LIMIT ")
        .append(decimal(static_cast<std::int32_t>(offset)))
        .append(",")
        .append(decimal(static_cast<std::int32_t>(count)));
    return *this;
}

std::string SPSqlStatement::statementAsUpdate(std::string_view table, std::string_view assignments,
                                              std::string_view condition) {
    return concat({"UPDATE `", table, "` SET ", assignments, " WHERE ", condition});
}

std::string SPSqlStatement::statementAsInsertInto(std::string_view table, std::string_view columns,
                                                  std::string_view values) {
    return concat({"INSERT INTO `", table, "` (", columns, ") VALUES (", values, ")"});
}

std::string SPSqlStatement::statementAsInsertInto(std::string_view table, std::string_view values) {
    return concat({"INSERT INTO `", table, "` VALUES (", values, ")"});
}

std::string SPSqlStatement::statementAsDeleteFrom(std::string_view table,
                                                  std::string_view condition) {
    return concat({"DELETE FROM ", table, " WHERE ", condition});
}

std::shared_ptr<SPSqlStatement> SPSqlStatement::statementAsSelect(std::string_view columns,
                                                                  std::string_view tables,
                                                                  std::string_view condition) {
    return statementWithString(
        concat({"SELECT ", columns, " FROM ", tables, " WHERE ", condition}));
}

std::string SPSqlStatement::alias(std::string_view expression, std::string_view name) {
    return concat({expression, " AS `", name, "`"});
}

std::optional<std::string> SPSqlStatement::customListSeparatedByWithArray(
    std::string_view separator, const std::vector<std::string>* list) {
    if (!hasItems(list)) return std::nullopt;
    return separatedList(separator, *list);
}

std::optional<std::string> SPSqlStatement::customListSeparatedByWithArray(
    std::string_view separator, const std::vector<std::string>& list) {
    return customListSeparatedByWithArray(separator, &list);
}

std::optional<std::string> SPSqlStatement::rawCommaListWithArray(
    const std::vector<std::string>* list) {
    return customListSeparatedByWithArray(", ", list);
}

std::optional<std::string> SPSqlStatement::rawCommaListWithArray(
    const std::vector<std::string>& list) {
    return rawCommaListWithArray(&list);
}

std::optional<std::string> SPSqlStatement::commaListWithArray(
    const std::vector<std::string>* list) {
    if (!hasItems(list)) return std::nullopt;
    return backtickedList(*list);
}

std::optional<std::string> SPSqlStatement::commaListWithArray(
    const std::vector<std::string>& list) {
    return commaListWithArray(&list);
}

std::optional<std::string> SPSqlStatement::orConditionWithArray(
    const std::vector<std::string>* list) {
    auto joinedItems = customListSeparatedByWithArray(" OR ", list);
    if (!joinedItems) return std::nullopt;
    return concat({"( ", *joinedItems, " )"});
}

std::optional<std::string> SPSqlStatement::orConditionWithArray(
    const std::vector<std::string>& list) {
    return orConditionWithArray(&list);
}

std::optional<std::string> SPSqlStatement::andConditionWithArray(
    const std::vector<std::string>* list) {
    auto joinedItems = customListSeparatedByWithArray(" AND ", list);
    if (!joinedItems) return std::nullopt;
    return concat({"( ", *joinedItems, " )"});
}

std::optional<std::string> SPSqlStatement::andConditionWithArray(
    const std::vector<std::string>& list) {
    return andConditionWithArray(&list);
}

SPSqlStatement::Texts SPSqlStatement::itemsOf(std::initializer_list<Argument> arguments) {
    Texts items;
    items.reserve(arguments.size());
    for (const Argument& argument : arguments) {
        if (!argument) break;
        items.push_back(*argument);
    }
    return items;
}

std::string SPSqlStatement::customListOf(std::string_view separator, const Texts& items) {
    return separatedList(separator, items);
}

std::string SPSqlStatement::joined(std::string_view separator, const Texts& items) {
    return listOf("", "", separator, "", "", items);
}

std::string SPSqlStatement::quotedCommaListOf(const Texts& items) {
    return backtickedList(items);
}

std::string SPSqlStatement::condition(std::string_view separator, const Texts& items) {
    if (items.empty()) return {};
    return concat({"(", joined(separator, items), ")"});
}
