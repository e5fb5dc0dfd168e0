#pragma once

#include "server/common/result.h"
#include "server/db/database.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace appserver {

// One row of the change log that the schema's triggers write: the
// generation that wrote it, the table, and for the flight-plan tables the
// flight's key. A row with no table only marks its generation.
struct LoggedChange
{
    std::int64_t generation = 0;
    std::string table;
    std::optional<std::string> branch;
    std::optional<std::int64_t> when; // DTHRPLAVOOPV
    std::optional<std::string> airline;
    std::optional<std::string> flight;
    std::optional<std::string> leg;
};

// The database's latest committed generation; nullopt, with `why`, for a
// database that keeps no change log (a schema from before it).
Result<std::optional<std::int64_t>> currentGeneration(Connection &db, std::string *why);

struct LoggedChanges
{
    std::vector<LoggedChange> rows;
    // The newest generation read; `after` when there was none.
    std::int64_t last = 0;
    // False when some generation after `after` is missing (pruned while
    // nobody read it, or moved by a program that logs nothing), or more
    // than `maxRows` rows came: the rows do not tell everything.
    bool complete = true;
};

// The rows logged after generation `after`, in generation order, at most
// `maxRows` of them.
Result<LoggedChanges> changesAfter(Connection &db, std::int64_t after, std::size_t maxRows);

} // namespace appserver
