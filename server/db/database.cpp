#include "server/db/database.h"

#include "server/db/pg_connection.h"
#include "server/db/sqlite_connection.h"

#include <libpq-fe.h>

namespace appserver {

namespace {

// libpq decides what a connection string is: any of its keywords or a URI.
bool isConnectionString(const std::string &text)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(text.c_str(), &error);
    PQfreemem(error);
    bool any = false;
    for (const PQconninfoOption *option = options; option && option->keyword; ++option)
        any = any || (option->val && *option->val);
    PQconninfoFree(options);
    return any;
}

// "keyword=" at the start: meant for libpq even when libpq refuses the rest,
// so that the refusal reaches the user as libpq words it instead of as a
// missing SQLite file.
bool looksLikeKeywords(std::string_view text)
{
    const auto start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return false;
    const auto end = text.find_first_not_of("abcdefghijklmnopqrstuvwxyz_", start);
    if (end == start || end == std::string_view::npos)
        return false;
    const auto equals = text.find_first_not_of(" \t", end);
    return equals != std::string_view::npos && text[equals] == '=';
}

} // namespace

DatabaseTarget DatabaseTarget::parse(std::string_view text, Access access)
{
    DatabaseTarget dbTarget;
    dbTarget.access = access;
    dbTarget.target = std::string(text);
    const bool postgres = isConnectionString(dbTarget.target) || looksLikeKeywords(text);
    dbTarget.dialect = postgres ? Dialect::PostgreSQL : Dialect::SQLite;
    return dbTarget;
}

namespace {

template<typename T, typename Read>
Result<std::optional<T>> queryValue(Connection &db, std::string_view sql, Read read)
{
    Result<Statement *> prepared = db.prepare(sql);
    if (!prepared)
        return prepared.error();
    StatementRun run(**prepared);
    Result<bool> row = run->step();
    if (!row)
        return row.error();
    if (!*row || run->isNull(0))
        return std::optional<T>();
    return std::optional<T>(read(*run));
}

} // namespace

Result<std::optional<std::int64_t>> queryInteger(Connection &db, std::string_view sql)
{
    return queryValue<std::int64_t>(db, sql, [](Statement &run) { return run.integer(0); });
}

Result<std::optional<std::string>> queryText(Connection &db, std::string_view sql)
{
    return queryValue<std::string>(db, sql,
                                   [](Statement &run) { return std::string(run.text(0)); });
}

Result<std::unique_ptr<Connection>> openConnection(const DatabaseTarget &dbTarget,
                                                   std::chrono::steady_clock::time_point connectBy)
{
    if (dbTarget.dialect == Dialect::PostgreSQL)
        return openPostgres(dbTarget, connectBy);
    return openSqlite(dbTarget);
}

} // namespace appserver
