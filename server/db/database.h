#pragma once

#include "server/common/result.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace appserver {

enum class Dialect { SQLite, PostgreSQL };

// One prepared statement, owned and cached by its connection. SQL uses `?`
// placeholders; parameters are numbered from 0 and columns from 0.
// Date-times are civil milliseconds since 1899-12-30 (wire::toMsecs).
class Statement
{
public:
    virtual ~Statement() = default;

    virtual void bindText(int index, std::string_view value) = 0;
    virtual void bindNumber(int index, double value) = 0;
    virtual void bindInteger(int index, std::int64_t value) = 0;
    virtual void bindDateTime(int index, std::int64_t msecs) = 0;
    virtual void bindNull(int index) = 0;

    // Runs the statement on the first call; true while a row is current.
    virtual Result<bool> step() = 0;

    virtual int columnCount() const = 0;
    virtual bool isNull(int column) const = 0;
    virtual std::string_view text(int column) const = 0;
    // nullopt for null; one read where a database can tell both at once.
    virtual std::optional<std::string_view> textOrNull(int column) const
    {
        if (isNull(column))
            return std::nullopt;
        return text(column);
    }
    virtual double number(int column) const = 0;
    virtual std::int64_t integer(int column) const = 0;
    // nullopt when the stored text is no date-time.
    virtual std::optional<std::int64_t> dateTime(int column) const = 0;

    // Ends the current run and forgets the bindings; the statement can be
    // run again.
    virtual void reset() = 0;
};

// Resets a statement when it goes out of scope, so an early return never
// leaves a read open (in SQLite that would pin the WAL snapshot).
class StatementRun
{
public:
    explicit StatementRun(Statement &statement)
        : m_statement(statement)
    {
    }
    ~StatementRun() { m_statement.reset(); }
    StatementRun(const StatementRun &) = delete;
    StatementRun &operator=(const StatementRun &) = delete;

    Statement *operator->() { return &m_statement; }
    Statement &operator*() { return m_statement; }

private:
    Statement &m_statement;
};

// A database connection used by one thread at a time.
class Connection
{
public:
    virtual ~Connection() = default;

    virtual Dialect dialect() const = 0;

    // Prepared once per connection and SQL text, then reused.
    virtual Result<Statement *> prepare(std::string_view sql) = 0;

    // Runs SQL without parameters (DDL, transaction control).
    virtual Status execute(std::string_view sql) = 0;

    // Checked before each call: false once the server has gone away or the
    // file opened is no longer the one at the path; the pool then opens a
    // new connection.
    virtual bool isUsable() = 0;

    // The statements of the running call must end by then: past it they
    // fail, and a connection that had to give up on a statement is no
    // longer usable.
    virtual void setDeadline(std::chrono::steady_clock::time_point deadline) { (void)deadline; }

    // Tells databases apart within the process, cheaply: the file's path or
    // the connection string.
    virtual const std::string &identity() const = 0;

    // False for a stand-in that only sees a call as far as its first
    // statement (to check its arguments without waiting for a connection):
    // nothing may be kept from it or answered from the cache through it.
    virtual bool reachesDatabase() const { return true; }

    // What the start-up log shows: kind and absolute path, or host, port
    // and database (never a password).
    virtual std::string describe() const = 0;

    // The last statement failed because the session did (broken, dropped,
    // past the call's deadline, the file locked by another program), not
    // because of the statement: anything more on this connection would meet
    // the same for now.
    virtual bool sessionFailed() const { return false; }

    // Waits up to `timeout` for notifications on the channels this
    // connection LISTENs to: their payloads, none when the time ran out; an
    // error when the session failed. Only PostgreSQL has them.
    virtual Result<std::vector<std::string>> awaitNotifications(std::chrono::milliseconds timeout)
    {
        (void)timeout;
        return Error{{}, "this database sends no notifications"};
    }

    // State that a layer above keeps for this connection (what it last saw
    // of the database): made on first use and dropped with the connection,
    // so that a connection opened anew starts afresh.
    struct Companion
    {
        virtual ~Companion() = default;
    };
    Companion *companion() const { return m_companion.get(); }
    void setCompanion(std::unique_ptr<Companion> companion) { m_companion = std::move(companion); }

private:
    std::unique_ptr<Companion> m_companion;
};

// Whether a connection may change the database. The server only reads; the
// schema command and the demo-data tool write, and only they may create a
// SQLite file.
enum class Access { Read, ReadWrite, Create };

// Where the data lives: a SQLite file or a PostgreSQL connection string.
struct DatabaseTarget
{
    Dialect dialect = Dialect::SQLite;
    std::string target; // file path or libpq connection string
    Access access = Access::Read;
    // Both stay below the client's 5 s deadline: a locked SQLite file is
    // waited for, a slow PostgreSQL statement is cancelled.
    int busyTimeoutMs = 2000;
    int statementTimeoutMs = 4000;
    // A SQLite file that Access::Create makes is made in WAL mode.
    bool walWhenCreated = false;

    // "postgresql://…", "postgres://…" or a libpq "key=value" string name
    // PostgreSQL; anything else is a SQLite file path.
    static DatabaseTarget parse(std::string_view text, Access access = Access::Read);
};

// The first column of the first row of a one-value query: nullopt when it
// gives no row or a null; the error when it cannot be prepared or run.
Result<std::optional<std::int64_t>> queryInteger(Connection &db, std::string_view sql);
Result<std::optional<std::string>> queryText(Connection &db, std::string_view sql);

// `connectBy`: a call's deadline, by which connecting (PostgreSQL's
// connection and session set-up included) gives up, with deadlineError.
Result<std::unique_ptr<Connection>> openConnection(
    const DatabaseTarget &dbTarget,
    std::chrono::steady_clock::time_point connectBy = std::chrono::steady_clock::time_point::max());

} // namespace appserver
