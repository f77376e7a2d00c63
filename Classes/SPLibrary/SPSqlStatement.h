#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// Composes SQL text from fragments. The class operations fill fixed templates and join lists;
// an object holds a growing statement text that the clause modifiers append to, in call order.
//
// Fragments are pasted unchanged: nothing is escaped or checked. The only quoting added is the
// backtick around the names the templates mark (table names of UPDATE and INSERT, aliases, the
// items of the comma lists). Values and conditions must arrive as ready SQL from the caller.
//
// The array and variable-argument list forms deliberately produce different spacing (the array
// forms put one more blank after each separator and a blank inside the condition parentheses);
// SQLite reads both alike, and callers may compare texts, so each form keeps its own layout.
class SPSqlStatement {
  public:
    // An empty statement text.
    SPSqlStatement() = default;
    explicit SPSqlStatement(std::string text) : m_statement(std::move(text)) {}

    static std::shared_ptr<SPSqlStatement> init();
    static std::shared_ptr<SPSqlStatement> initWithString(std::string text);
    static std::shared_ptr<SPSqlStatement> statementWithString(std::string text);

    // The held text itself, not a copy; valid while the statement lives and is not modified.
    const std::string& string() const { return m_statement; }

    // Modifiers. Each appends its clause and returns this same statement so calls chain.
    SPSqlStatement& groupBy(std::string_view grouping);
    SPSqlStatement& groupBy(std::string_view grouping, std::string_view having);
    SPSqlStatement& orderBy(std::string_view ordering);
    // The numbers are printed as signed 32-bit decimals: 4294967295 appears as -1, which SQLite
    // reads as "no limit".
    SPSqlStatement& limit(std::uint32_t number);
    // " LIMIT offset,count" with no blank after the comma.
    SPSqlStatement& limit(std::uint32_t offset, std::uint32_t count);

    // Templates.
    // UPDATE `table` SET assignments WHERE condition
    static std::string statementAsUpdate(std::string_view table, std::string_view assignments,
                                         std::string_view condition);
    // INSERT INTO `table` (columns) VALUES (values)
    static std::string statementAsInsertInto(std::string_view table, std::string_view columns,
                                             std::string_view values);
    // INSERT INTO `table` VALUES (values)
    static std::string statementAsInsertInto(std::string_view table, std::string_view values);
    // DELETE FROM table WHERE condition -- the table name stands bare. Plain text, like the
    // other non-query templates: it goes to exec() or query(), never gets clause modifiers.
    static std::string statementAsDeleteFrom(std::string_view table, std::string_view condition);
    // SELECT columns FROM tables WHERE condition, as a new statement ready for the modifiers.
    static std::shared_ptr<SPSqlStatement> statementAsSelect(std::string_view columns,
                                                             std::string_view tables,
                                                             std::string_view condition);
    // expression AS `name`
    static std::string alias(std::string_view expression, std::string_view name);

    // Array forms. An absent (null) or empty list gives no result.
    // The first item, then "separator item" for each further one.
    static std::optional<std::string> customListSeparatedByWithArray(
        std::string_view separator, const std::vector<std::string>* list);
    static std::optional<std::string> customListSeparatedByWithArray(
        std::string_view separator, const std::vector<std::string>& list);
    // Items joined by ",  " (a comma and two blanks).
    static std::optional<std::string> rawCommaListWithArray(const std::vector<std::string>* list);
    static std::optional<std::string> rawCommaListWithArray(const std::vector<std::string>& list);
    // Every item in backticks, joined by ", ".
    static std::optional<std::string> commaListWithArray(const std::vector<std::string>* list);
    static std::optional<std::string> commaListWithArray(const std::vector<std::string>& list);
    // "( a OR  b )"
    static std::optional<std::string> orConditionWithArray(const std::vector<std::string>* list);
    static std::optional<std::string> orConditionWithArray(const std::vector<std::string>& list);
    // "( a AND  b )"
    static std::optional<std::string> andConditionWithArray(const std::vector<std::string>* list);
    static std::optional<std::string> andConditionWithArray(const std::vector<std::string>& list);

    // Variable-argument forms. The list is the arguments up to the first null one: anything that
    // reads as text (std::string, std::string_view, C strings) is an item, and a null C string or
    // nullptr ends the list there, as the end marker of a variable-argument list does. A list whose
    // first item is null has no items and gives the empty text (for the conditions too: no
    // parentheses around nothing).
    // The first text, then "separator text" for each further one.
    template <class F, class... S>
    static std::string customListSeparatedByWithStrings(std::string_view separator, const F& first,
                                                        const S&... rest) {
        return customListOf(separator, itemsOf({textOf(first), textOf(rest)...}));
    }
    // Texts joined by ", ".
    template <class F, class... S>
    static std::string rawCommaListWithStrings(const F& first, const S&... rest) {
        return joined(", ", itemsOf({textOf(first), textOf(rest)...}));
    }
    // Every text in backticks, joined by ", ".
    template <class F, class... S>
    static std::string commaListWithStrings(const F& first, const S&... rest) {
        return quotedCommaListOf(itemsOf({textOf(first), textOf(rest)...}));
    }
    // "(a OR b)"
    template <class F, class... S>
    static std::string orConditionWithStrings(const F& first, const S&... rest) {
        return condition(" OR ", itemsOf({textOf(first), textOf(rest)...}));
    }
    // "(a AND b)"
    template <class F, class... S>
    static std::string andConditionWithStrings(const F& first, const S&... rest) {
        return condition(" AND ", itemsOf({textOf(first), textOf(rest)...}));
    }

  private:
    // One argument of a variable-argument form: its text, or none for a null one.
    using Argument = std::optional<std::string_view>;
    using Texts = std::vector<std::string_view>;

    template <class S>
    static Argument textOf(const S& text) {
        if constexpr (std::is_same_v<S, std::nullptr_t>) {
            return std::nullopt;
        } else {
            static_assert(std::is_convertible_v<const S&, std::string_view>,
                          "list items must be texts");
            if constexpr (std::is_convertible_v<const S&, const char*>) {
                const char* chars = text;
                if (chars == nullptr) return std::nullopt;
                return std::string_view(chars);
            } else {
                return std::string_view(text);
            }
        }
    }

    // The arguments before the first null one.
    static Texts itemsOf(std::initializer_list<Argument> arguments);
    static std::string customListOf(std::string_view separator, const Texts& items);
    static std::string joined(std::string_view separator, const Texts& items);
    static std::string quotedCommaListOf(const Texts& items);
    static std::string condition(std::string_view separator, const Texts& items);

    std::string m_statement;
};
