#include "database.h"

#include "pg_connection.h"
#include "sqlite_connection.h"

namespace appserver {

DatabaseSpec DatabaseSpec::parse(std::string_view text)
{
    DatabaseSpec spec;
    spec.target = std::string(text);
    const bool uri = text.starts_with("postgresql://") || text.starts_with("postgres://");
    const bool keywords = text.find("dbname=") != std::string_view::npos ||
                          text.find("host=") != std::string_view::npos;
    spec.dialect = uri || keywords ? Dialect::PostgreSQL : Dialect::SQLite;
    return spec;
}

Result<std::unique_ptr<Connection>> openConnection(const DatabaseSpec &spec)
{
    if (spec.dialect == Dialect::PostgreSQL)
        return openPostgres(spec.target, spec.statementTimeoutMs);
    return openSqlite(spec.target, spec.busyTimeoutMs);
}

}  // namespace appserver
