#pragma once

#include "server/common/result.h"
#include "server/db/watched_tables.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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

    // The tables its SQL names, worked out once when it is prepared.
    const TableSet &tables() const { return m_tables; }
    void setTables(const TableSet &tables) { m_tables = tables; }

private:
    TableSet m_tables;
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

    // Which tables may have been written by another connection since this
    // connection last asked: none, some, or all of them when the database
    // cannot tell which (the first answer of a connection is always all).
    // Asking consumes the answer, so only the reply cache may ask; it asks
    // before every read, so a write committed before a call began is always
    // noticed. Not `known` when this database cannot tell changes at all
    // (then nothing read through it may be reused); `why` then says so, and
    // it says why a database that can only tell "something" is not
    // `perTable`. An error when the connection itself failed while asking:
    // the call fails with it.
    struct Changes
    {
        bool known = true;
        bool perTable = true;
        TableSet tables;
    };
    virtual Result<Changes> changesSinceLastAsked(std::string *why)
    {
        if (why)
            *why = "no change detection";
        return Changes{false, false, allTables()};
    }

    // The tables named by the statements prepared since the last reset:
    // what a call read.
    const TableSet &tablesRead() const { return m_tablesRead; }
    void resetTablesRead() { m_tablesRead.reset(); }

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

protected:
    // Each prepare hands its statement here, found or new.
    Statement *noteRead(Statement *statement)
    {
        m_tablesRead |= statement->tables();
        return statement;
    }

private:
    TableSet m_tablesRead;
};

// Each watched table's change counter, in kWatchedTables order.
using TableCounters = std::array<std::int64_t, kWatchedTables.size()>;
inline constexpr std::string_view kTableCountersSql =
    "SELECT NMTABELA, NRALTERACAO FROM CONTADOR_TABELA";

// Runs kTableCountersSql, prepared on `statement`: the counters, nullopt
// with `missing` naming a table that has no row, or the statement's error.
Result<std::optional<TableCounters>> readTableCounters(Statement &statement, std::string *missing);

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

    // "postgresql://…", "postgres://…" or a libpq "key=value" string name
    // PostgreSQL; anything else is a SQLite file path.
    static DatabaseTarget parse(std::string_view text, Access access = Access::Read);
};

Result<std::unique_ptr<Connection>> openConnection(const DatabaseTarget &dbTarget);

} // namespace appserver
