#pragma once

#include "server/db/database.h"

namespace appserver {

// Connects with a libpq connection string. Statements are prepared on the
// server once per connection; results come back as text.
// A reading connection runs every transaction read-only.
Result<std::unique_ptr<Connection>> openPostgres(const DatabaseTarget &dbTarget);

// Rewrites `?` placeholders (outside quoted literals) to `$1`, `$2`, …
std::string toPostgresPlaceholders(std::string_view sql, int *count);

} // namespace appserver
