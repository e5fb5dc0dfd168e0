#include "pg_connection.h"

#include "sql_time.h"

#include <libpq-fe.h>

#include <charconv>
#include <map>
#include <vector>

namespace appserver {
namespace {

std::string connectionError(PGconn *conn)
{
    std::string text = std::string("postgresql: ") + PQerrorMessage(conn);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

class PgStatement final : public Statement
{
public:
    PgStatement(PGconn *conn, std::string name, int parameterCount)
        : m_conn(conn)
        , m_name(std::move(name))
        , m_values(static_cast<std::size_t>(parameterCount))
        , m_isNull(static_cast<std::size_t>(parameterCount), true)
    {}
    ~PgStatement() override { clearResult(); }

    void bindText(int index, std::string_view value) override { set(index, std::string(value)); }
    void bindNumber(int index, double value) override
    {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        set(index, std::string(buffer, end));
    }
    void bindInteger(int index, std::int64_t value) override { set(index, std::to_string(value)); }
    void bindDateTime(int index, std::int64_t msecs) override
    {
        set(index, formatSqlDateTime(msecs));
    }
    void bindNull(int index) override
    {
        if (valid(index))
            m_isNull[static_cast<std::size_t>(index)] = true;
    }

    Result<bool> step() override
    {
        if (!m_result) {
            std::vector<const char *> values(m_values.size());
            for (std::size_t i = 0; i < m_values.size(); ++i)
                values[i] = m_isNull[i] ? nullptr : m_values[i].c_str();
            m_result = PQexecPrepared(m_conn, m_name.c_str(), static_cast<int>(values.size()),
                                      values.data(), nullptr, nullptr, 0);
            const ExecStatusType status = PQresultStatus(m_result);
            if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
                std::string detail = std::string("postgresql: ") + PQresultErrorMessage(m_result);
                clearResult();
                return databaseError(std::move(detail));
            }
            m_rows = PQntuples(m_result);
            m_row = -1;
        }
        ++m_row;
        return m_row < m_rows;
    }

    int columnCount() const override { return m_result ? PQnfields(m_result) : 0; }
    bool isNull(int column) const override { return PQgetisnull(m_result, m_row, column) != 0; }
    std::string_view text(int column) const override
    {
        return {PQgetvalue(m_result, m_row, column),
                static_cast<std::size_t>(PQgetlength(m_result, m_row, column))};
    }
    double number(int column) const override
    {
        // from_chars ignores the process locale, unlike strtod.
        const std::string_view value = text(column);
        double number = 0.0;
        std::from_chars(value.data(), value.data() + value.size(), number);
        return number;
    }
    std::int64_t integer(int column) const override
    {
        const std::string_view value = text(column);
        std::int64_t number = 0;
        std::from_chars(value.data(), value.data() + value.size(), number);
        return number;
    }
    std::optional<std::int64_t> dateTime(int column) const override
    {
        return parseSqlDateTime(text(column));
    }

    void reset() override
    {
        clearResult();
        std::fill(m_isNull.begin(), m_isNull.end(), true);
    }

private:
    bool valid(int index) const { return index >= 0 && index < static_cast<int>(m_values.size()); }
    void set(int index, std::string value)
    {
        if (!valid(index))
            return;
        m_values[static_cast<std::size_t>(index)] = std::move(value);
        m_isNull[static_cast<std::size_t>(index)] = false;
    }
    void clearResult()
    {
        if (m_result)
            PQclear(m_result);
        m_result = nullptr;
        m_rows = 0;
        m_row = -1;
    }

    PGconn *m_conn;
    std::string m_name;
    std::vector<std::string> m_values;
    std::vector<bool> m_isNull;
    PGresult *m_result = nullptr;
    int m_rows = 0;
    int m_row = -1;
};

class PgConnection final : public Connection
{
public:
    explicit PgConnection(PGconn *conn) : m_conn(conn) {}
    ~PgConnection() override
    {
        m_statements.clear();
        PQfinish(m_conn);
    }

    Dialect dialect() const override { return Dialect::PostgreSQL; }

    Result<Statement *> prepare(std::string_view sql) override
    {
        auto found = m_statements.find(sql);
        if (found != m_statements.end())
            return found->second.get();
        int count = 0;
        const std::string text = toPostgresPlaceholders(sql, &count);
        const std::string name = "ate_" + std::to_string(m_statements.size() + 1);
        PGresult *result = PQprepare(m_conn, name.c_str(), text.c_str(), count, nullptr);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        std::string detail =
            ok ? std::string() : std::string("postgresql prepare: ") + PQresultErrorMessage(result);
        PQclear(result);
        if (!ok)
            return databaseError(std::move(detail));
        auto statement = std::make_unique<PgStatement>(m_conn, name, count);
        Statement *raw = statement.get();
        m_statements.emplace(std::string(sql), std::move(statement));
        return raw;
    }

    Status execute(std::string_view sql) override
    {
        PGresult *result = PQexec(m_conn, std::string(sql).c_str());
        const ExecStatusType status = PQresultStatus(result);
        const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        std::string detail =
            ok ? std::string() : std::string("postgresql: ") + PQresultErrorMessage(result);
        PQclear(result);
        if (!ok)
            return databaseError(std::move(detail));
        return success();
    }

    bool isUsable() override { return PQstatus(m_conn) == CONNECTION_OK; }

    std::string describe() const override
    {
        return std::string("postgresql host=") + PQhost(m_conn) + " port=" + PQport(m_conn) +
               " dbname=" + PQdb(m_conn) + " user=" + PQuser(m_conn);
    }

private:
    PGconn *m_conn;
    std::map<std::string, std::unique_ptr<PgStatement>, std::less<>> m_statements;
};

}  // namespace

std::string toPostgresPlaceholders(std::string_view sql, int *count)
{
    std::string out;
    out.reserve(sql.size() + 16);
    bool quoted = false;
    int n = 0;
    for (const char c : sql) {
        if (c == '\'')
            quoted = !quoted;
        if (c == '?' && !quoted) {
            out += '$';
            out += std::to_string(++n);
        } else {
            out += c;
        }
    }
    if (count)
        *count = n;
    return out;
}

Result<std::unique_ptr<Connection>> openPostgres(const DatabaseTarget &dbTarget)
{
    PGconn *conn = PQconnectdb(dbTarget.target.c_str());
    if (PQstatus(conn) != CONNECTION_OK) {
        std::string detail = connectionError(conn);
        PQfinish(conn);
        return databaseError(std::move(detail));
    }
    auto connection = std::make_unique<PgConnection>(conn);
    // ISO output is what parseSqlDateTime reads; the statement timeout keeps
    // a stuck query below the client's deadline.
    const std::string setup =
        "SET DateStyle = ISO; SET client_encoding = 'UTF8'; "
        "SET client_min_messages = warning; SET statement_timeout = " +
        std::to_string(dbTarget.statementTimeoutMs) +
        (dbTarget.access == Access::Read ? "; SET default_transaction_read_only = on" : "");
    Status status = connection->execute(setup);
    if (!status)
        return status.error();
    return std::unique_ptr<Connection>(std::move(connection));
}

}  // namespace appserver
