#include "server/db/schema.h"

#include "server/db/watched_tables.h"

#include <string_view>
#include <vector>

namespace appserver {
namespace {

// The same DDL runs on SQLite and PostgreSQL. Date-times are TIMESTAMP(3)
// (text in the canonical form on SQLite, see sql_time.h). The flight-plan
// tables lead their keys with branch and date-time, the access path of the
// day's position; the other lookups use the full key.
struct Migration
{
    int version;
    std::vector<std::string_view> statements;
    std::vector<std::string_view> sqliteOnly = {};
    std::vector<std::string_view> postgresOnly = {};
};

const std::vector<Migration> &migrations()
{
    static const std::vector<Migration> all = {
        {1,
         {
             R"(CREATE TABLE FILIAL (
                CDFILIAL VARCHAR(4) NOT NULL PRIMARY KEY,
                NMFILIAL VARCHAR(30) NOT NULL,
                IDCNTRRESC VARCHAR(1) NOT NULL DEFAULT 'N'))",
             R"(CREATE TABLE COMPANHIA (
                CDCIA VARCHAR(4) NOT NULL PRIMARY KEY,
                SGCIA VARCHAR(5) NOT NULL,
                NMCIA VARCHAR(50) NOT NULL,
                IDNACCIA VARCHAR(1) NOT NULL))",
             R"(CREATE TABLE CIAFILIAL (
                CDFILIAL VARCHAR(4) NOT NULL,
                CDCIA VARCHAR(4) NOT NULL,
                PRIMARY KEY (CDFILIAL, CDCIA)))",
             R"(CREATE TABLE BASE (
                CDBASE VARCHAR(4) NOT NULL PRIMARY KEY,
                SGBASE VARCHAR(5) NOT NULL,
                NMBASE VARCHAR(50) NOT NULL))",
             R"(CREATE TABLE CLASSE (
                CDCLASSE VARCHAR(4) NOT NULL PRIMARY KEY,
                SGCLASSE VARCHAR(5) NOT NULL,
                NMCLASSE VARCHAR(30) NOT NULL,
                NRORDEM INTEGER NOT NULL))",
             R"(CREATE TABLE SERVICO (
                CDSERVICO VARCHAR(10) NOT NULL PRIMARY KEY,
                DSSERVICO VARCHAR(50) NOT NULL))",
             R"(CREATE TABLE PLANOVOO (
                CDCIA VARCHAR(4) NOT NULL,
                CDFILIAL VARCHAR(4) NOT NULL,
                NRVOO VARCHAR(5) NOT NULL,
                CDTRECHO VARCHAR(4) NOT NULL,
                DTHRPLAVOOPV TIMESTAMP(3) NOT NULL,
                IDSITABASPV VARCHAR(1),
                IDBREAKGERA VARCHAR(1),
                CDBASEORI VARCHAR(4),
                CDBASEDES VARCHAR(4),
                HRDECOLVOO VARCHAR(4),
                PRIMARY KEY (CDFILIAL, DTHRPLAVOOPV, CDCIA, NRVOO, CDTRECHO)))",
             // GetCompanhia: does this airline have a plan on the date?
             "CREATE INDEX IX_PLANOVOO_CIA_DATA ON PLANOVOO (CDCIA, DTHRPLAVOOPV)",
             R"(CREATE TABLE PREVISAOPAX (
                CDCIA VARCHAR(4) NOT NULL,
                CDFILIAL VARCHAR(4) NOT NULL,
                NRVOO VARCHAR(5) NOT NULL,
                CDTRECHO VARCHAR(4) NOT NULL,
                DTHRPLAVOOPV TIMESTAMP(3) NOT NULL,
                CDCLASSE VARCHAR(4) NOT NULL,
                QTTOTPAXAT DOUBLE PRECISION,
                QTPAXSBY DOUBLE PRECISION,
                PRIMARY KEY (CDFILIAL, DTHRPLAVOOPV, CDCIA, NRVOO, CDTRECHO, CDCLASSE)))",
             R"(CREATE TABLE SERVPLANO (
                CDCIA VARCHAR(4) NOT NULL,
                CDFILIAL VARCHAR(4) NOT NULL,
                NRVOO VARCHAR(5) NOT NULL,
                CDTRECHO VARCHAR(4) NOT NULL,
                DTHRPLAVOOPV TIMESTAMP(3) NOT NULL,
                NRITEMPLANSP INTEGER NOT NULL,
                CDSERVICO VARCHAR(10) NOT NULL,
                NRDELIVERY DOUBLE PRECISION,
                CDAGRDECO VARCHAR(4),
                CDAGRDEDE VARCHAR(4),
                IDSITSERSP VARCHAR(1),
                IDSEREXTSP VARCHAR(1),
                IDSTKDTSP VARCHAR(1),
                CDUSRRESPSP VARCHAR(10),
                QTANTAPRODSP DOUBLE PRECISION,
                QTSESOLICSP DOUBLE PRECISION,
                QTSESBYPRSP DOUBLE PRECISION,
                QTSESBYUTSP DOUBLE PRECISION,
                QTCORTSERVSP DOUBLE PRECISION,
                QTATUAPRODSP DOUBLE PRECISION,
                QTSERFATSP DOUBLE PRECISION,
                VRPRUDOLSESP DOUBLE PRECISION,
                VRPRURESESP DOUBLE PRECISION,
                DTHRFEPRODSP TIMESTAMP(3),
                DTHRINCSESP TIMESTAMP(3),
                DTHRTRASESP TIMESTAMP(3),
                DTHRCANCSESP TIMESTAMP(3),
                QTSERVFIXSP DOUBLE PRECISION,
                VRPESOSESP DOUBLE PRECISION,
                NRLANCTONF VARCHAR(10),
                IDTIPSCBOSP VARCHAR(1),
                VRLOADSESP DOUBLE PRECISION,
                QTREALPROD DOUBLE PRECISION,
                NRPROPAXSP DOUBLE PRECISION,
                TXOBSUSRSP VARCHAR(1),
                PRIMARY KEY (CDFILIAL, DTHRPLAVOOPV, CDCIA, NRVOO, CDTRECHO, NRITEMPLANSP)))",
         }},
        // The day's flight plans straight from one index, in the screen's
        // order and with every column the reply needs; the codes the plans
        // name resolve from indexes that hold the abbreviation too.
        {2,
         {
             "CREATE INDEX IX_COMPANHIA_SIGLA ON COMPANHIA (CDCIA, SGCIA)",
             "CREATE INDEX IX_BASE_SIGLA ON BASE (CDBASE, SGBASE)",
         },
         {
             // Date-times are stored as canonical text: the day is its first
             // ten characters.
             R"(CREATE INDEX IX_PLANOVOO_DIA ON PLANOVOO (CDFILIAL, SUBSTR(DTHRPLAVOOPV, 1, 10),
                COALESCE(HRDECOLVOO, ''), CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV, IDSITABASPV,
                IDBREAKGERA, CDBASEORI, CDBASEDES, HRDECOLVOO))",
         },
         {
             R"(CREATE INDEX IX_PLANOVOO_DIA ON PLANOVOO (CDFILIAL, CAST(DTHRPLAVOOPV AS DATE),
                COALESCE(HRDECOLVOO, ''), CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV)
                INCLUDE (IDSITABASPV, IDBREAKGERA, CDBASEORI, CDBASEDES, HRDECOLVOO))",
             // One row that every committed write moves, whoever writes:
             // servers compare it before answering from their reply cache.
             // Moved once per transaction (a bulk load would otherwise pile
             // up versions of the row); the trigger names the counter by the
             // changed table's schema, so a writer with another search_path
             // still moves it.
             "CREATE TABLE CONTADOR_ALTERACAO (NRALTERACAO BIGINT NOT NULL)",
             "INSERT INTO CONTADOR_ALTERACAO (NRALTERACAO) VALUES (0)",
             R"(CREATE FUNCTION CONTA_ALTERACAO() RETURNS trigger LANGUAGE plpgsql AS $$
                BEGIN
                    IF current_setting('ate.alteracao_contada', true) IS DISTINCT FROM '1' THEN
                        EXECUTE format('UPDATE %I.contador_alteracao
                                        SET nralteracao = nralteracao + 1', TG_TABLE_SCHEMA);
                        PERFORM set_config('ate.alteracao_contada', '1', true);
                    END IF;
                    RETURN NULL;
                END $$)",
         }},
        // A change counter per watched table, so that a write to the flight
        // plans keeps the kept services and passenger forecasts. Its rows
        // and (on SQLite) its triggers come from kWatchedTables below.
        {3,
         {
             R"(CREATE TABLE CONTADOR_TABELA (
                NMTABELA VARCHAR(30) NOT NULL PRIMARY KEY,
                NRALTERACAO BIGINT NOT NULL))",
         },
         {},
         {
             // The one counter still moves first: every writing transaction
             // takes its row lock before any table's, so two writers never
             // wait on each other's table counters in opposite orders.
             R"(CREATE OR REPLACE FUNCTION CONTA_ALTERACAO() RETURNS trigger LANGUAGE plpgsql AS $$
                DECLARE
                    contada TEXT := 'ate.alteracao_' || lower(TG_TABLE_NAME);
                BEGIN
                    IF current_setting('ate.alteracao_contada', true) IS DISTINCT FROM '1' THEN
                        EXECUTE format('UPDATE %I.contador_alteracao
                                        SET nralteracao = nralteracao + 1', TG_TABLE_SCHEMA);
                        PERFORM set_config('ate.alteracao_contada', '1', true);
                    END IF;
                    IF current_setting(contada, true) IS DISTINCT FROM '1' THEN
                        EXECUTE format('UPDATE %I.contador_tabela
                                        SET nralteracao = nralteracao + 1
                                        WHERE nmtabela = %L', TG_TABLE_SCHEMA, upper(TG_TABLE_NAME));
                        PERFORM set_config(contada, '1', true);
                    END IF;
                    RETURN NULL;
                END $$)",
             // Servers reading the database meanwhile look for the
             // per-table counters when the one counter moves.
             "UPDATE CONTADOR_ALTERACAO SET NRALTERACAO = NRALTERACAO + 1",
         }},
    };
    return all;
}

Status ensureVersionTable(Connection &connection)
{
    return connection.execute("CREATE TABLE IF NOT EXISTS SCHEMA_VERSAO ("
                              "NRVERSAO INTEGER NOT NULL PRIMARY KEY, "
                              "DTHRAPLICACAO VARCHAR(30) NOT NULL)");
}

// Where PostgreSQL's change counter and its triggers came in.
constexpr int kChangeCounterVersion = 2;
// Where the per-table counters came in, with SQLite's triggers.
constexpr int kTableCountersVersion = 3;

// SQLite has no statement-level triggers: each row written moves its
// table's counter.
std::vector<std::string> tableCounterStatements(bool sqlite)
{
    std::vector<std::string> statements;
    for (std::string_view table : kWatchedTables) {
        const std::string name(table);
        statements.push_back("INSERT INTO CONTADOR_TABELA (NMTABELA, NRALTERACAO) VALUES ('" + name
                             + "', 0)");
        if (!sqlite)
            continue;
        for (const char *what : {"INSERT", "UPDATE", "DELETE"}) {
            statements.push_back("CREATE TRIGGER ALTERA_" + name + "_" + what + " AFTER " + what
                                 + " ON " + name
                                 + " BEGIN UPDATE CONTADOR_TABELA SET NRALTERACAO = NRALTERACAO "
                                   "+ 1 WHERE NMTABELA = '"
                                 + name + "'; END");
        }
    }
    return statements;
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
    Result<Statement *> prepared = connection.prepare(sql);
    if (!prepared)
        return prepared.error();
    StatementRun run(**prepared);
    Result<bool> row = run->step();
    if (!row)
        return row.error();
    return *row ? run->integer(0) : 0;
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
                for (std::string_view sql : *list) {
                    Status applied = connection.execute(sql);
                    if (!applied)
                        return applied;
                }
            }
            if (migration.version == kChangeCounterVersion && !sqlite) {
                for (std::string_view table : kWatchedTables) {
                    const std::string name(table);
                    Status applied = connection.execute("CREATE TRIGGER ALTERA_" + name
                                                        + " AFTER INSERT OR UPDATE OR DELETE OR "
                                                          "TRUNCATE ON "
                                                        + name
                                                        + " FOR EACH STATEMENT EXECUTE FUNCTION "
                                                          "CONTA_ALTERACAO()");
                    if (!applied)
                        return applied;
                }
            }
            if (migration.version == kTableCountersVersion) {
                for (const std::string &sql : tableCounterStatements(sqlite)) {
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
