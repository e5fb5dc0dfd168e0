#pragma once

#include "database.h"

namespace appserver {

// Opens (creating when absent) a SQLite file in WAL mode with a busy
// timeout, so that a writer elsewhere delays readers instead of failing them.
Result<std::unique_ptr<Connection>> openSqlite(const std::string &path, int busyTimeoutMs);

}  // namespace appserver
