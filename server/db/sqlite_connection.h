#pragma once

#include "server/db/database.h"

namespace appserver {

// Opens a SQLite file with a busy timeout, so that a writer elsewhere delays
// readers instead of failing them. For reading, only an existing, non-empty
// file is opened, read-only and in the journal mode it has; only
// Access::Create makes a new file.
Result<std::unique_ptr<Connection>> openSqlite(const DatabaseTarget &dbTarget);

// The file's journal mode as SQLite names it ("wal", "delete", …); "?" when
// it cannot be read.
std::string sqliteJournalMode(Connection &db);

} // namespace appserver
