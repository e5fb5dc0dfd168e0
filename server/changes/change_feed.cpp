#include "server/changes/change_feed.h"

#include "server/changes/pg_change_feed.h"
#include "server/changes/sqlite_change_feed.h"

namespace appserver {

ChangeFeed &changeFeedOf(Connection &db)
{
    if (auto *feed = dynamic_cast<ChangeFeed *>(db.companion()))
        return *feed;
    std::unique_ptr<ChangeFeed> feed;
    switch (db.dialect()) {
    case Dialect::SQLite:
        feed = makeSqliteChangeFeed();
        break;
    case Dialect::PostgreSQL:
        feed = makePgChangeFeed();
        break;
    }
    ChangeFeed &made = *feed;
    db.setCompanion(std::move(feed));
    return made;
}

} // namespace appserver
