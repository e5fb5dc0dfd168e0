#pragma once

#include "server/common/result.h"
#include "server/db/database.h"
#include "server/db/watched_tables.h"

#include <string>

namespace appserver {

// Which tables may have been written by another connection since a
// connection last asked: none, some, or all of them when the database
// cannot tell which (the first answer of a connection is always all).
// Not `known` when this database cannot tell changes at all (then nothing
// read through it may be reused); `perTable` false when it can only tell
// "something".
struct Changes
{
    bool known = true;
    bool perTable = true;
    TableSet tables;
};

// What one connection has seen of its database's changes. Asking consumes
// the answer, so only the reply cache may ask; it asks before every read,
// so a write committed before a call began is always noticed.
class ChangeFeed : public Connection::Companion
{
public:
    // `why` says why changes are not known, or why they are not per table.
    // An error when the connection itself failed while asking: the call
    // fails with it.
    virtual Result<Changes> changesSinceLastAsked(Connection &db, std::string *why) = 0;
};

// The feed of `db`'s dialect, made on first use and kept with the
// connection.
ChangeFeed &changeFeedOf(Connection &db);

} // namespace appserver
