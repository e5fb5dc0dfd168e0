#pragma once

#include "server/db/database.h"

namespace appserver {

// The newest schema version this server knows.
int latestSchemaVersion();

// Brings the database to the latest version in one transaction, recording
// each applied version in SCHEMA_VERSAO. Refuses a database written by a
// newer server.
Status migrateSchema(Connection &connection);

// Version recorded in the database; 0 when it has none. Only reads.
Result<int> schemaVersion(Connection &connection);

// What the server checks at start without changing anything: the schema
// exists and is the latest; otherwise a message that names the command
// creating or upgrading it.
Status checkSchema(Connection &connection);

// "TABLE=rows" for the main tables, for the start-up log.
Result<std::string> tableRowCounts(Connection &connection);

// Runs `body` inside a transaction, rolling back when it fails. SQLite takes
// the write lock at the start so two writers never deadlock.
template<typename Body> Status inTransaction(Connection &connection, Body &&body)
{
    Status begun =
        connection.execute(connection.dialect() == Dialect::SQLite ? "BEGIN IMMEDIATE" : "BEGIN");
    if (!begun)
        return begun;
    Status done = body();
    if (!done) {
        (void)connection.execute("ROLLBACK");
        return done;
    }
    return connection.execute("COMMIT");
}

} // namespace appserver
