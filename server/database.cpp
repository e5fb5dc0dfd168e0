#include "database.h"

#include "pg_connection.h"
#include "sqlite_connection.h"

namespace appserver {

DatabaseTarget DatabaseTarget::parse(std::string_view text, Access access)
{
    DatabaseTarget dbTarget;
    dbTarget.access = access;
    dbTarget.target = std::string(text);
    const bool uri = text.starts_with("postgresql://") || text.starts_with("postgres://");
    const bool keywords = text.find("dbname=") != std::string_view::npos ||
                          text.find("host=") != std::string_view::npos;
    dbTarget.dialect = uri || keywords ? Dialect::PostgreSQL : Dialect::SQLite;
    return dbTarget;
}

Result<std::unique_ptr<Connection>> openConnection(const DatabaseTarget &dbTarget)
{
    if (dbTarget.dialect == Dialect::PostgreSQL)
        return openPostgres(dbTarget);
    return openSqlite(dbTarget);
}

}  // namespace appserver
