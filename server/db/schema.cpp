#include "server/db/schema.h"

#include "server/db/migration_files.h"

#include <string>
#include <string_view>
#include <vector>

namespace appserver {
namespace {

// One version's statements: those of every database, then the dialect's.
struct Migration
{
    int version = 0;
    std::vector<std::string> statements;
    std::vector<std::string> sqliteOnly;
    std::vector<std::string> postgresOnly;
};

// A file's statements: each ends with ";" at the end of a line, unless the
// line is inside a $$-quoted body (a PL/pgSQL function's) or a SQLite
// trigger's BEGIN … END, which ends with the line that ends in "END;".
std::vector<std::string> statementsOf(std::string_view text)
{
    std::vector<std::string> statements;
    std::string current;
    bool inBody = false;
    bool inTrigger = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos || line.substr(first).starts_with("--"))
            continue;
        for (std::size_t at = line.find("$$"); at != std::string_view::npos;
             at = line.find("$$", at + 2))
            inBody = !inBody;
        const std::size_t last = line.find_last_not_of(" \t\r");
        const std::string_view trimmed = line.substr(first, last + 1 - first);
        if (!inBody && !inTrigger && trimmed.ends_with("BEGIN")
            && (current + std::string(trimmed)).starts_with("CREATE TRIGGER"))
            inTrigger = true;
        if (inTrigger && (trimmed == "END;" || trimmed.ends_with(" END;")))
            inTrigger = false;
        else if (inTrigger) {
            current += line;
            current += '\n';
            continue;
        }
        if (!inBody && line[last] == ';') {
            current += line.substr(0, last);
            statements.push_back(std::move(current));
            current.clear();
        } else {
            current += line;
            current += '\n';
        }
    }
    return statements;
}

// "NNN_name[.dialect].sql": the version and the list its statements join.
Migration &migrationOf(std::vector<Migration> &all, const MigrationFile &file,
                       std::vector<std::string> **list)
{
    const int version = std::stoi(std::string(file.name.substr(0, file.name.find('_'))));
    if (all.empty() || all.back().version != version)
        all.push_back(Migration{version, {}, {}, {}});
    Migration &migration = all.back();
    if (file.name.ends_with(".sqlite.sql"))
        *list = &migration.sqliteOnly;
    else if (file.name.ends_with(".postgresql.sql"))
        *list = &migration.postgresOnly;
    else
        *list = &migration.statements;
    return migration;
}

const std::vector<Migration> &migrations()
{
    static const std::vector<Migration> all = [] {
        std::vector<Migration> versions;
        for (const MigrationFile &file : migrationFiles()) {
            std::vector<std::string> *list = nullptr;
            migrationOf(versions, file, &list);
            for (std::string &statement : statementsOf(file.text))
                list->push_back(std::move(statement));
        }
        return versions;
    }();
    return all;
}

Status ensureVersionTable(Connection &connection)
{
    return connection.execute("CREATE TABLE IF NOT EXISTS SCHEMA_VERSAO ("
                              "NRVERSAO INTEGER NOT NULL PRIMARY KEY, "
                              "DTHRAPLICACAO VARCHAR(30) NOT NULL)");
}

// Older databases are still served, more slowly and without the reply
// cache on PostgreSQL, until someone runs the schema command.
constexpr int kOldestServedVersion = 1;

} // namespace

int latestSchemaVersion()
{
    return migrations().back().version;
}

// The first column of the first row of a one-number query.
Result<std::int64_t> count(Connection &connection, const std::string &sql)
{
    Result<std::optional<std::int64_t>> value = queryInteger(connection, sql);
    if (!value)
        return value.error();
    return value->value_or(0);
}

Result<bool> hasVersionTable(Connection &connection)
{
    Result<std::int64_t> tables = count(
        connection, connection.dialect() == Dialect::SQLite
                        ? "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND "
                          "UPPER(name) = 'SCHEMA_VERSAO'"
                        : "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = "
                          "current_schema() AND table_name = 'schema_versao'");
    if (!tables)
        return tables.error();
    return *tables > 0;
}

Result<int> schemaVersion(Connection &connection)
{
    Result<bool> present = hasVersionTable(connection);
    if (!present)
        return present.error();
    if (!*present)
        return 0;
    Result<std::int64_t> version =
        count(connection, "SELECT COALESCE(MAX(NRVERSAO), 0) FROM SCHEMA_VERSAO");
    if (!version)
        return version.error();
    return static_cast<int>(*version);
}

Status checkSchema(Connection &connection)
{
    Result<int> current = schemaVersion(connection);
    if (!current)
        return current.error();
    const std::string latest = std::to_string(latestSchemaVersion());
    if (*current == 0) {
        return Error{"O banco de dados não tem o esquema do servidor de aplicação; crie-o com "
                     "ate-appserver --init-schema.",
                     "no SCHEMA_VERSAO"};
    }
    if (*current < kOldestServedVersion) {
        return Error{"O banco de dados tem o esquema na versão " + std::to_string(*current)
                         + " e o servidor precisa da versão " + latest
                         + "; atualize-o com ate-appserver --init-schema.",
                     "schema version " + std::to_string(*current) + " < " + latest};
    }
    if (*current > latestSchemaVersion()) {
        return Error{"Banco de dados com versão de esquema mais nova que a do servidor.",
                     "schema version " + std::to_string(*current) + " > " + latest};
    }
    return success();
}

Result<std::string> tableRowCounts(Connection &connection)
{
    std::string text;
    for (const char *table : {"FILIAL", "COMPANHIA", "PLANOVOO", "PREVISAOPAX", "SERVPLANO"}) {
        Result<std::int64_t> rows = count(connection, std::string("SELECT COUNT(*) FROM ") + table);
        if (!rows)
            return rows.error();
        text += (text.empty() ? "" : " ") + std::string(table) + "=" + std::to_string(*rows);
    }
    return text;
}

Status migrateSchema(Connection &connection)
{
    Status ready = ensureVersionTable(connection);
    if (!ready)
        return ready;
    return inTransaction(connection, [&]() -> Status {
        if (connection.dialect() == Dialect::PostgreSQL) {
            // Two servers starting together must not both apply a version.
            Status locked = connection.execute("LOCK TABLE SCHEMA_VERSAO IN EXCLUSIVE MODE");
            if (!locked)
                return locked;
        }
        Result<int> current = schemaVersion(connection);
        if (!current)
            return current.error();
        if (*current > latestSchemaVersion()) {
            return Error{"Banco de dados com versão de esquema mais nova que a do servidor.",
                         "schema version " + std::to_string(*current) + " > "
                             + std::to_string(latestSchemaVersion())};
        }
        for (const Migration &migration : migrations()) {
            if (migration.version <= *current)
                continue;
            const bool sqlite = connection.dialect() == Dialect::SQLite;
            for (const auto *list : {&migration.statements,
                                     sqlite ? &migration.sqliteOnly : &migration.postgresOnly}) {
                for (const std::string &sql : *list) {
                    Status applied = connection.execute(sql);
                    if (!applied)
                        return applied;
                }
            }
            Result<Statement *> insert =
                connection.prepare("INSERT INTO SCHEMA_VERSAO (NRVERSAO, DTHRAPLICACAO) VALUES (?, "
                                   "CURRENT_TIMESTAMP)");
            if (!insert)
                return insert.error();
            StatementRun run(**insert);
            run->bindInteger(0, migration.version);
            Result<bool> done = run->step();
            if (!done)
                return done.error();
        }
        return success();
    });
}

} // namespace appserver
