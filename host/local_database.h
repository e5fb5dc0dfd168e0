#pragma once

#include <QSqlDatabase>
#include <QString>

namespace host {

// The name of the host's local database connection (QSqlDatabase).
QString localConnectionName();

// The host's local database, opened on first use from context().database()
// and reopened when those settings change. GUI thread only, as every Qt SQL
// connection belongs to the thread that opened it. Throws platform::Error
// with the driver's reason when it cannot be opened.
QSqlDatabase localDatabase();

// Closes and forgets the connection (the next localDatabase() opens anew).
void closeLocalDatabase();

} // namespace host
