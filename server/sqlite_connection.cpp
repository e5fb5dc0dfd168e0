#include "sqlite_connection.h"

#include "sql_time.h"

#include <sqlite3.h>

#include <map>

namespace appserver {
namespace {

class SqliteStatement final : public Statement
{
public:
    SqliteStatement(sqlite3 *db, sqlite3_stmt *stmt) : m_db(db), m_stmt(stmt) {}
    ~SqliteStatement() override { sqlite3_finalize(m_stmt); }

    void bindText(int index, std::string_view value) override
    {
        sqlite3_bind_text(m_stmt, index + 1, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
    }
    void bindNumber(int index, double value) override
    {
        sqlite3_bind_double(m_stmt, index + 1, value);
    }
    void bindInteger(int index, std::int64_t value) override
    {
        sqlite3_bind_int64(m_stmt, index + 1, value);
    }
    void bindDateTime(int index, std::int64_t msecs) override
    {
        bindText(index, formatSqlDateTime(msecs));
    }
    void bindNull(int index) override { sqlite3_bind_null(m_stmt, index + 1); }

    Result<bool> step() override
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        return databaseError(std::string("sqlite: ") + sqlite3_errmsg(m_db));
    }

    int columnCount() const override { return sqlite3_column_count(m_stmt); }
    bool isNull(int column) const override
    {
        return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
    }
    std::string_view text(int column) const override
    {
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        if (!data)
            return {};
        return {data, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))};
    }
    double number(int column) const override { return sqlite3_column_double(m_stmt, column); }
    std::int64_t integer(int column) const override { return sqlite3_column_int64(m_stmt, column); }
    std::optional<std::int64_t> dateTime(int column) const override
    {
        return parseSqlDateTime(text(column));
    }

    void reset() override
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt;
};

class SqliteConnection final : public Connection
{
public:
    explicit SqliteConnection(sqlite3 *db) : m_db(db) {}
    ~SqliteConnection() override
    {
        m_statements.clear();
        sqlite3_close_v2(m_db);
    }

    Dialect dialect() const override { return Dialect::SQLite; }

    Result<Statement *> prepare(std::string_view sql) override
    {
        auto found = m_statements.find(sql);
        if (found != m_statements.end())
            return found->second.get();
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v3(m_db, sql.data(), static_cast<int>(sql.size()),
                               SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
            return databaseError(std::string("sqlite prepare: ") + sqlite3_errmsg(m_db));
        }
        auto statement = std::make_unique<SqliteStatement>(m_db, stmt);
        Statement *raw = statement.get();
        m_statements.emplace(std::string(sql), std::move(statement));
        return raw;
    }

    Status execute(std::string_view sql) override
    {
        char *message = nullptr;
        const std::string text(sql);
        if (sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            std::string detail = std::string("sqlite: ") + (message ? message : "?");
            sqlite3_free(message);
            return databaseError(std::move(detail));
        }
        return success();
    }

    bool isUsable() const override { return true; }

private:
    sqlite3 *m_db;
    std::map<std::string, std::unique_ptr<SqliteStatement>, std::less<>> m_statements;
};

}  // namespace

Result<std::unique_ptr<Connection>> openSqlite(const std::string &path, int busyTimeoutMs)
{
    sqlite3 *db = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string detail =
            "sqlite open " + path + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        return databaseError(std::move(detail));
    }
    sqlite3_busy_timeout(db, busyTimeoutMs);
    auto connection = std::make_unique<SqliteConnection>(db);
    // WAL lets readers go on while one writer works; NORMAL sync is safe in
    // WAL mode; mmap avoids a copy per page read.
    for (const char *pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL",
                               "PRAGMA mmap_size=268435456", "PRAGMA cache_size=-65536"}) {
        Status status = connection->execute(pragma);
        if (!status)
            return status.error();
    }
    return std::unique_ptr<Connection>(std::move(connection));
}

}  // namespace appserver
