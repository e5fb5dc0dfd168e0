#include "server/changes/table_counters.h"

namespace appserver {

Result<std::optional<TableCounters>> readTableCounters(Statement &statement, std::string *missing)
{
    StatementRun run(statement);
    TableCounters counters{};
    TableSet seen;
    for (;;) {
        Result<bool> row = run->step();
        if (!row)
            return row.error();
        if (!*row)
            break;
        if (const std::optional<std::size_t> table = watchedTableIndex(run->text(0))) {
            counters[*table] = run->integer(1);
            seen.set(*table);
        }
    }
    for (std::size_t t = 0; t < kWatchedTables.size(); ++t) {
        if (!seen.test(t)) {
            *missing = "CONTADOR_TABELA has no row for " + std::string(kWatchedTables[t]);
            return std::optional<TableCounters>();
        }
    }
    return std::optional<TableCounters>(counters);
}

TableSet tablesMoved(const std::optional<TableCounters> &before, const TableCounters &now)
{
    if (!before)
        return allTables();
    TableSet moved;
    for (std::size_t t = 0; t < kWatchedTables.size(); ++t) {
        if (now[t] != (*before)[t])
            moved.set(t);
    }
    return moved;
}

} // namespace appserver
