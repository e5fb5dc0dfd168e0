#pragma once

#include "server/db/database.h"

namespace appserver {

// Connects with a libpq connection string. Statements are prepared on the
// server once per connection; results come back as text.
// A reading connection runs every transaction read-only.
// Connecting gives up at `connectBy` (deadlineError) or at the connect
// timeout, whichever comes first.
Result<std::unique_ptr<Connection>> openPostgres(const DatabaseTarget &dbTarget,
                                                 std::chrono::steady_clock::time_point connectBy);

// Rewrites `?` placeholders (outside quoted literals) to `$1`, `$2`, …
std::string toPostgresPlaceholders(std::string_view sql, int *count);

} // namespace appserver
