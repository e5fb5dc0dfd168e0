#pragma once

#include "server/common/result.h"
#include "server/db/database.h"
#include "server/db/watched_tables.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace appserver {

// Each watched table's change counter, in kWatchedTables order: the schema's
// triggers move a table's row in every transaction that writes it.
using TableCounters = std::array<std::int64_t, kWatchedTables.size()>;
inline constexpr std::string_view kTableCountersSql =
    "SELECT NMTABELA, NRALTERACAO FROM CONTADOR_TABELA";

// Runs kTableCountersSql, prepared on `statement`: the counters, nullopt
// with `missing` naming a table that has no row, or the statement's error.
Result<std::optional<TableCounters>> readTableCounters(Statement &statement, std::string *missing);

// The tables whose counters differ; all of them without an earlier reading.
TableSet tablesMoved(const std::optional<TableCounters> &before, const TableCounters &now);

} // namespace appserver
