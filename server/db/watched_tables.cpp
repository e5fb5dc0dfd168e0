#include "server/db/watched_tables.h"

#include <cctype>

namespace appserver {
namespace {

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

TableSet tableSet(std::initializer_list<std::string_view> names)
{
    TableSet tables;
    for (std::string_view name : names) {
        const std::optional<std::size_t> watched = watchedTableIndex(name);
        tables.set(watched ? *watched : kUnwatchedTable);
    }
    return tables;
}

} // namespace appserver
