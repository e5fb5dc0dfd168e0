#include "server/db/pg_connection.h"

#include "server/db/sql_time.h"

#include <libpq-fe.h>

#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

namespace appserver {
namespace {

std::string connectionError(PGconn *conn)
{
    std::string text = std::string("postgresql: ") + PQerrorMessage(conn);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

using SteadyClock = std::chrono::steady_clock;

// What a statement shares with its connection: the socket, the running
// call's deadline, and whether the connection had to be given up.
struct Session
{
    PGconn *conn = nullptr;
    SteadyClock::time_point deadline = SteadyClock::time_point::max();
    bool broken = false;
    bool timedOut = false; // the last statement reached the deadline
};

Error failure(const Session &session, std::string detail)
{
    return session.timedOut ? deadlineError(std::move(detail)) : databaseError(std::move(detail));
}

// libpq's blocking calls wait for ever on a database that hangs (a
// statement_timeout cannot help: the hung server would enforce it). Sent
// asynchronously, a statement is waited for until the call's deadline; a
// connection that reached it is given up, since its reply may still come.
PGresult *await(Session &session, bool sent, std::string *error)
{
    session.timedOut = false;
    if (!sent) {
        *error = connectionError(session.conn);
        // A connection given up earlier stays given up: its reply may
        // still come.
        session.broken = session.broken || PQstatus(session.conn) != CONNECTION_OK;
        return nullptr;
    }
    while (PQisBusy(session.conn)) {
        const auto left = session.deadline - SteadyClock::now();
        // Rounded up: a deadline declared reached must have passed, or the
        // caller, seeing time left, would retry the read on a new connection.
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        if (left <= SteadyClock::duration::zero()) {
            session.broken = true;
            session.timedOut = true;
            *error = "postgresql: no reply before the call's deadline";
            return nullptr;
        }
        pollfd fd{PQsocket(session.conn), POLLIN, 0};
        const int ready = ::poll(&fd, 1, static_cast<int>(std::min<long long>(ms, 1 << 30)));
        if (ready < 0 && errno != EINTR) {
            session.broken = true;
            *error = "postgresql: poll failed";
            return nullptr;
        }
        if (ready > 0 && !PQconsumeInput(session.conn)) {
            session.broken = true;
            *error = connectionError(session.conn);
            return nullptr;
        }
    }
    PGresult *result = PQgetResult(session.conn);
    // One statement, one result: the rest only ends the exchange.
    while (PGresult *extra = PQgetResult(session.conn))
        PQclear(extra);
    if (!result) {
        *error = connectionError(session.conn);
        session.broken = PQstatus(session.conn) != CONNECTION_OK;
    } else if (PQstatus(session.conn) != CONNECTION_OK) {
        session.broken = true;
    }
    return result;
}

std::string resultError(const char *what, PGresult *result, const std::string &error)
{
    return std::string(what) + (result ? PQresultErrorMessage(result) : error.c_str());
}

class PgStatement final : public Statement
{
public:
    PgStatement(Session &session, std::string name, int parameterCount)
        : m_session(session)
        , m_name(std::move(name))
        , m_values(static_cast<std::size_t>(parameterCount))
        , m_isNull(static_cast<std::size_t>(parameterCount), true)
    {
    }
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
            std::string error;
            m_result = await(m_session,
                             PQsendQueryPrepared(m_session.conn, m_name.c_str(),
                                                 static_cast<int>(values.size()), values.data(),
                                                 nullptr, nullptr, 0)
                                 == 1,
                             &error);
            const ExecStatusType status = PQresultStatus(m_result);
            if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
                std::string detail = resultError("postgresql: ", m_result, error);
                clearResult();
                return failure(m_session, std::move(detail));
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

    Session &m_session;
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
    PgConnection(PGconn *conn, std::string target)
        : m_target(std::move(target))
    {
        m_session.conn = conn;
    }
    ~PgConnection() override
    {
        m_statements.clear();
        PQfinish(m_session.conn);
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
        std::string error;
        PGresult *result = await(
            m_session,
            PQsendPrepare(m_session.conn, name.c_str(), text.c_str(), count, nullptr) == 1, &error);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        std::string detail =
            ok ? std::string() : resultError("postgresql prepare: ", result, error);
        PQclear(result);
        if (!ok)
            return failure(m_session, std::move(detail));
        auto statement = std::make_unique<PgStatement>(m_session, name, count);
        Statement *raw = statement.get();
        m_statements.emplace(std::string(sql), std::move(statement));
        return raw;
    }

    Status execute(std::string_view sql) override
    {
        std::string error;
        PGresult *result =
            await(m_session, PQsendQuery(m_session.conn, std::string(sql).c_str()) == 1, &error);
        const ExecStatusType status = PQresultStatus(result);
        const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        std::string detail = ok ? std::string() : resultError("postgresql: ", result, error);
        PQclear(result);
        if (!ok)
            return failure(m_session, std::move(detail));
        return success();
    }

    // A database restarted or a connection dropped leaves the socket
    // readable (an error notice, then its end) while libpq still reports
    // it fine: read what is there before trusting it.
    bool isUsable() override
    {
        if (m_session.broken || PQstatus(m_session.conn) != CONNECTION_OK)
            return false;
        pollfd fd{PQsocket(m_session.conn), POLLIN, 0};
        if (::poll(&fd, 1, 0) > 0) {
            if (!PQconsumeInput(m_session.conn))
                return false;
            while (PGnotify *notice = PQnotifies(m_session.conn))
                PQfreemem(notice);
        }
        return PQstatus(m_session.conn) == CONNECTION_OK;
    }

    void setDeadline(SteadyClock::time_point deadline) override { m_session.deadline = deadline; }

    Result<std::vector<std::string>> awaitNotifications(std::chrono::milliseconds timeout) override
    {
        std::vector<std::string> payloads;
        const auto collect = [&] {
            while (PGnotify *notice = PQnotifies(m_session.conn)) {
                payloads.emplace_back(notice->extra ? notice->extra : "");
                PQfreemem(notice);
            }
        };
        collect();
        if (!payloads.empty())
            return payloads;
        if (m_session.broken || PQstatus(m_session.conn) != CONNECTION_OK)
            return failure(m_session, "postgresql: the connection is closed");
        pollfd fd{PQsocket(m_session.conn), POLLIN, 0};
        const int ready = ::poll(&fd, 1, static_cast<int>(timeout.count()));
        if (ready < 0 && errno != EINTR)
            return failure(m_session, std::string("postgresql: poll: ") + std::strerror(errno));
        if (ready > 0 && !PQconsumeInput(m_session.conn)) {
            m_session.broken = true;
            return failure(m_session, std::string("postgresql: ") + PQerrorMessage(m_session.conn));
        }
        collect();
        if (PQstatus(m_session.conn) != CONNECTION_OK) {
            m_session.broken = true;
            return failure(m_session, "postgresql: the connection was lost");
        }
        return payloads;
    }

    const std::string &identity() const override { return m_target; }

    bool sessionFailed() const override
    {
        return m_session.broken || m_session.timedOut || PQstatus(m_session.conn) != CONNECTION_OK;
    }

    std::string describe() const override
    {
        PGconn *conn = m_session.conn;
        return std::string("postgresql host=") + PQhost(conn) + " port=" + PQport(conn)
               + " dbname=" + PQdb(conn) + " user=" + PQuser(conn);
    }

private:
    Session m_session;
    std::string m_target;
    std::map<std::string, std::unique_ptr<PgStatement>, std::less<>> m_statements;
};

} // namespace

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

namespace {

// The connect_timeout in force (ours, or the operator's from the connection
// string), as libpq reads it: whole seconds, at least 2; none for 0.
std::optional<std::chrono::seconds> connectTimeout(PGconn *conn)
{
    std::optional<std::chrono::seconds> timeout;
    PQconninfoOption *options = PQconninfo(conn);
    for (const PQconninfoOption *option = options; option && option->keyword; ++option) {
        if (std::string_view(option->keyword) != "connect_timeout" || !option->val)
            continue;
        int seconds = 0;
        const std::string_view text(option->val);
        std::from_chars(text.data(), text.data() + text.size(), seconds);
        if (seconds > 0)
            timeout = std::chrono::seconds(std::max(seconds, 2));
    }
    PQconninfoFree(options);
    return timeout;
}

// Connects without blocking past `callDeadline` or the connect timeout,
// whichever comes first: libpq's blocking connect knows no call deadline.
// Null with `error` set when it cannot.
PGconn *connectWithin(const char *const *keywords, const char *const *values,
                      SteadyClock::time_point callDeadline, std::optional<Error> *error)
{
    PGconn *conn = PQconnectStartParams(keywords, values, 1);
    if (!conn) {
        *error = databaseError("postgresql: out of memory");
        return nullptr;
    }
    auto limit = callDeadline;
    if (const std::optional<std::chrono::seconds> timeout = connectTimeout(conn))
        limit = std::min(limit, SteadyClock::now() + *timeout);
    // As libpq asks: first wait to write, then as each poll says.
    PostgresPollingStatusType polling =
        PQstatus(conn) == CONNECTION_BAD ? PGRES_POLLING_FAILED : PGRES_POLLING_WRITING;
    while (polling != PGRES_POLLING_OK && polling != PGRES_POLLING_FAILED) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(limit - SteadyClock::now());
        if (left.count() <= 0) {
            PQfinish(conn);
            *error = limit == callDeadline
                         ? deadlineError("postgresql: not connected by the call's deadline")
                         : databaseError("postgresql: connect timeout");
            return nullptr;
        }
        pollfd fd{PQsocket(conn),
                  static_cast<short>(polling == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
        const int ready =
            ::poll(&fd, 1, static_cast<int>(std::min<std::int64_t>(left.count(), 1000)));
        if (ready > 0)
            polling = PQconnectPoll(conn);
        else if (ready < 0 && errno != EINTR)
            polling = PGRES_POLLING_FAILED;
    }
    if (polling == PGRES_POLLING_FAILED || PQstatus(conn) != CONNECTION_OK) {
        *error = databaseError(connectionError(conn));
        PQfinish(conn);
        return nullptr;
    }
    return conn;
}

} // namespace

Result<std::unique_ptr<Connection>> openPostgres(const DatabaseTarget &dbTarget,
                                                 SteadyClock::time_point connectBy)
{
    // A database that hangs must not hold a worker while connecting, and a
    // peer gone without a word must be noticed: these come first, so the
    // operator's connection string overrides them.
    const char *keywords[] = {"connect_timeout",
                              "keepalives",
                              "keepalives_idle",
                              "keepalives_interval",
                              "keepalives_count",
                              "dbname",
                              nullptr};
    const char *values[] = {"2", "1", "10", "5", "2", dbTarget.target.c_str(), nullptr};
    std::optional<Error> failed;
    PGconn *conn = connectWithin(keywords, values, connectBy, &failed);
    if (!conn)
        return *failed;
    // Notices (a restart's "terminating connection" among them) would go
    // to standard error unformatted; what matters reaches the call's log.
    PQsetNoticeProcessor(
        conn, [](void *, const char *) {}, nullptr);
    auto connection = std::make_unique<PgConnection>(conn, dbTarget.target);
    connection->setDeadline(std::min(connectBy, SteadyClock::now() + std::chrono::seconds(2)));
    // ISO output is what parseSqlDateTime reads; the statement timeout keeps
    // a stuck query below the client's deadline.
    const std::string setup =
        "SET DateStyle = ISO; SET client_encoding = 'UTF8'; "
        "SET client_min_messages = warning; SET statement_timeout = "
        + std::to_string(dbTarget.statementTimeoutMs)
        + (dbTarget.access == Access::Read ? "; SET default_transaction_read_only = on" : "");
    Status status = connection->execute(setup);
    if (!status)
        return status.error();
    // Calls set their own deadline; a writer (the schema command, the demo
    // data) may take as long as it needs.
    connection->setDeadline(SteadyClock::time_point::max());
    return std::unique_ptr<Connection>(std::move(connection));
}

} // namespace appserver
