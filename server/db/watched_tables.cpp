#include "server/db/watched_tables.h"

#include <cctype>
#include <vector>

namespace appserver {
namespace {

bool isIdentifierChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i]))
            != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Words that end a FROM list.
bool isClauseAfterFrom(std::string_view word)
{
    for (std::string_view clause : {"WHERE", "ON", "USING", "GROUP", "ORDER", "HAVING", "LIMIT",
                                    "UNION", "EXCEPT", "INTERSECT", "WINDOW", "SELECT"}) {
        if (equalsIgnoringCase(word, clause))
            return true;
    }
    return false;
}

} // namespace

TableSet allTables()
{
    return TableSet().set();
}

std::optional<std::size_t> watchedTableIndex(std::string_view name)
{
    for (std::size_t i = 0; i < kWatchedTables.size(); ++i) {
        if (equalsIgnoringCase(name, kWatchedTables[i]))
            return i;
    }
    return std::nullopt;
}

TableSet tablesNamedIn(std::string_view sql)
{
    TableSet tables;
    // Per parenthesis level: whether it is in a FROM list (where a comma
    // brings the next table), and whether the next name is a table.
    std::vector<bool> inFromList{false};
    bool tableNext = false;
    const auto named = [&](std::string_view word, bool quoted) {
        if (tableNext) {
            const std::optional<std::size_t> watched =
                quoted ? std::nullopt : watchedTableIndex(word);
            tables.set(watched ? *watched : kUnwatchedTable);
            tableNext = false;
            return;
        }
        if (quoted)
            return;
        if (const std::optional<std::size_t> watched = watchedTableIndex(word))
            tables.set(*watched);
        if (equalsIgnoringCase(word, "FROM") || equalsIgnoringCase(word, "JOIN")) {
            inFromList.back() = true;
            tableNext = true;
        } else if (isClauseAfterFrom(word)) {
            inFromList.back() = false;
        }
    };
    std::size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            // A literal or a quoted name, quotes doubled inside.
            std::size_t end = i + 1;
            while (end < sql.size()) {
                if (sql[end] == c) {
                    if (end + 1 < sql.size() && sql[end + 1] == c) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            if (c == '"')
                named(sql.substr(i + 1, end - i - 1), true);
            else
                tableNext = false;
            i = end + 1;
            continue;
        }
        if (isIdentifierChar(c)) {
            std::size_t end = i;
            while (end < sql.size() && isIdentifierChar(sql[end]))
                ++end;
            // A schema-qualified table: the name is the part after the dot.
            if (tableNext && end < sql.size() && sql[end] == '.') {
                i = end + 1;
                continue;
            }
            named(sql.substr(i, end - i), false);
            i = end;
            continue;
        }
        if (c == '(') {
            // "FROM (SELECT ...)": the inner FROM names the tables.
            inFromList.push_back(false);
            tableNext = false;
        } else if (c == ')') {
            if (inFromList.size() > 1)
                inFromList.pop_back();
            tableNext = false;
        } else if (c == ',') {
            tableNext = inFromList.back();
        } else if (!std::isspace(static_cast<unsigned char>(c))) {
            tableNext = false;
        }
        ++i;
    }
    return tables;
}

} // namespace appserver
