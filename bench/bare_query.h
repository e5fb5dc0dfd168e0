#pragma once

// The floor the benchmarks print beside the server's calls: a query alone,
// on a connection of the server's own database code.

#include "server/db/database.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// Runs the SQL with its texts then its date-times bound in that order and
// reads every column of every row; nullopt when it cannot be prepared or
// run.
inline std::optional<std::uint32_t> bareQuery(appserver::Connection &db, const std::string &sql,
                                              const std::vector<std::string> &texts,
                                              const std::vector<std::int64_t> &dates)
{
    appserver::Result<appserver::Statement *> prepared = db.prepare(sql);
    if (!prepared.ok())
        return std::nullopt;
    appserver::StatementRun run(**prepared);
    int index = 0;
    for (const std::string &t : texts)
        run->bindText(index++, t);
    for (std::int64_t d : dates)
        run->bindDateTime(index++, d);
    std::uint32_t rows = 0;
    std::size_t sink = 0;
    const int columns = run->columnCount();
    for (;;) {
        appserver::Result<bool> row = run->step();
        if (!row.ok())
            return std::nullopt;
        if (!*row)
            break;
        for (int c = 0; c < columns; ++c)
            sink += run->isNull(c) ? 0 : run->text(c).size();
        ++rows;
    }
    // Keeps the reads from being optimised away.
    if (sink == 1)
        std::puts("");
    return rows;
}

} // namespace bench
