#pragma once

#include "server/changes/change_feed.h"

#include <memory>

namespace appserver {

// PostgreSQL's change counters, read in a snapshot of their own before the
// call's query: a commit that came before the call always shows.
std::unique_ptr<ChangeFeed> makePgChangeFeed();

} // namespace appserver
