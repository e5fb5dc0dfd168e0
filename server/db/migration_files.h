#pragma once

#include <string_view>
#include <vector>

namespace appserver {

// The schema's migrations, one file per version and dialect, built into the
// server from server/db/migrations: "NNN_name.sql" runs on every database,
// "NNN_name.sqlite.sql" and "NNN_name.postgresql.sql" on one, after it.
// Statements end with ";" at the end of a line (outside a $$ body); lines
// beginning with "--" are comments.
struct MigrationFile
{
    std::string_view name;
    std::string_view text;
};

// In file name order.
const std::vector<MigrationFile> &migrationFiles();

} // namespace appserver
