#pragma once

#include "server/changes/change_feed.h"

#include <memory>

namespace appserver {

// SQLite's data_version tells that another connection committed; the
// tables' change counters tell which tables it wrote.
std::unique_ptr<ChangeFeed> makeSqliteChangeFeed();

} // namespace appserver
