#include "server/db/sqlite_connection.h"

#include "server/db/sql_time.h"

#include <sqlite3.h>

#include <sys/stat.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

namespace appserver {
namespace {

using SteadyClock = std::chrono::steady_clock;

// What the statements share with their connection: the running call's
// deadline, past which SQLite is told to give up (a heavy statement through
// the progress handler, a locked file through the busy handler).
struct Bounds
{
    SteadyClock::time_point deadline = SteadyClock::time_point::max();
    std::chrono::milliseconds busyTimeout{0};
    // The last statement found the file locked by another program.
    bool locked = false;

    bool pastDeadline() const { return SteadyClock::now() >= deadline; }
};

// Called every kProgressSteps virtual-machine steps: non-zero interrupts the
// statement (SQLITE_INTERRUPT).
constexpr int kProgressSteps = 1000;

int stopAtDeadline(void *bounds)
{
    return static_cast<const Bounds *>(bounds)->pastDeadline() ? 1 : 0;
}

// As SQLite's own busy timeout, but never waits past the call's deadline.
int waitWhileBusy(void *data, int attempt)
{
    const auto &bounds = *static_cast<const Bounds *>(data);
    constexpr auto kStep = std::chrono::milliseconds(5);
    if (attempt * kStep >= bounds.busyTimeout || bounds.pastDeadline())
        return 0;
    std::this_thread::sleep_for(
        std::min<SteadyClock::duration>(kStep, bounds.deadline - SteadyClock::now()));
    return 1;
}

// A statement stopped by the deadline says so; a file locked by another
// program is named as the cause; anything else is the usual database
// failure.
Error failure(int rc, std::string detail, Bounds &bounds)
{
    bounds.locked = rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
    if ((rc == SQLITE_INTERRUPT || rc == SQLITE_BUSY) && bounds.pastDeadline())
        return deadlineError(detail + " at the call's deadline");
    if (bounds.locked) {
        detail += " (another program holds a write transaction on the file; in rollback-journal "
                  "mode every read waits for it, in WAL mode reads go on: see the server's "
                  "README)";
    }
    return databaseError(std::move(detail));
}

class SqliteStatement final : public Statement
{
public:
    SqliteStatement(sqlite3 *db, sqlite3_stmt *stmt, Bounds &bounds)
        : m_db(db)
        , m_stmt(stmt)
        , m_bounds(bounds)
    {
    }
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
        m_bounds.locked = false;
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        return failure(rc, std::string("sqlite: ") + sqlite3_errmsg(m_db), m_bounds);
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
    std::optional<std::string_view> textOrNull(int column) const override
    {
        const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        // Only a null, or no memory for the conversion, gives no pointer.
        if (!data) {
            if (sqlite3_column_type(m_stmt, column) == SQLITE_NULL)
                return std::nullopt;
            return std::string_view{};
        }
        return std::string_view{data,
                                static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column))};
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
    Bounds &m_bounds;
};

// Which file a path names: a file replaced (renamed over) or deleted under
// a running server changes it, and SQLite would go on reading the old one.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity &) const = default;
};

std::optional<FileIdentity> identityOf(const std::string &path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

class SqliteConnection final : public Connection
{
public:
    SqliteConnection(sqlite3 *db, std::string path, std::optional<FileIdentity> identity,
                     std::chrono::milliseconds busyTimeout)
        : m_db(db)
        , m_path(std::move(path))
        , m_identity(identity)
    {
        m_bounds.busyTimeout = busyTimeout;
        sqlite3_busy_handler(m_db, waitWhileBusy, &m_bounds);
        sqlite3_progress_handler(m_db, kProgressSteps, stopAtDeadline, &m_bounds);
    }
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
        m_bounds.locked = false;
        if (const int rc = sqlite3_prepare_v3(m_db, sql.data(), static_cast<int>(sql.size()),
                                              SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
            rc != SQLITE_OK) {
            return failure(rc, std::string("sqlite prepare: ") + sqlite3_errmsg(m_db), m_bounds);
        }
        auto statement = std::make_unique<SqliteStatement>(m_db, stmt, m_bounds);
        Statement *raw = statement.get();
        m_statements.emplace(std::string(sql), std::move(statement));
        return raw;
    }

    Status execute(std::string_view sql) override
    {
        char *message = nullptr;
        const std::string text(sql);
        m_bounds.locked = false;
        if (const int rc = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, &message);
            rc != SQLITE_OK) {
            std::string detail = std::string("sqlite: ") + (message ? message : "?");
            sqlite3_free(message);
            return failure(rc, std::move(detail), m_bounds);
        }
        return success();
    }

    bool isUsable() override { return identityOf(m_path) == m_identity; }

    void setDeadline(SteadyClock::time_point deadline) override { m_bounds.deadline = deadline; }
    const std::string &identity() const override { return m_path; }
    bool sessionFailed() const override { return m_bounds.locked; }

    std::string describe() const override
    {
        const char *mode = "?";
        sqlite3_stmt *stmt = nullptr;
        std::string journal;
        if (sqlite3_prepare_v2(m_db, "PRAGMA journal_mode", -1, &stmt, nullptr) == SQLITE_OK
            && sqlite3_step(stmt) == SQLITE_ROW) {
            journal = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
            mode = journal.c_str();
        }
        std::string text = "sqlite " + m_path + " (journal " + mode
                           + (sqlite3_db_readonly(m_db, "main") == 1 ? ", read-only)" : ")");
        sqlite3_finalize(stmt);
        return text;
    }

private:
    sqlite3 *m_db;
    std::string m_path;
    std::optional<FileIdentity> m_identity;
    Bounds m_bounds;
    std::map<std::string, std::unique_ptr<SqliteStatement>, std::less<>> m_statements;
};

// A mistyped path or an empty file would otherwise be served as a database
// without rows: the screen would show an empty day as a success.
Status checkExistingFile(const std::string &path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        return Error{"O banco de dados do servidor de aplicação não existe: " + path + ".",
                     "sqlite: " + path + " does not exist"};
    }
    if (!std::filesystem::is_regular_file(status)) {
        return Error{"O banco de dados do servidor de aplicação não é um arquivo: " + path + ".",
                     "sqlite: " + path + " is no regular file"};
    }
    if (std::filesystem::file_size(path, error) == 0) {
        return Error{"O banco de dados do servidor de aplicação está vazio: " + path + ".",
                     "sqlite: " + path + " is empty"};
    }
    return success();
}

} // namespace

Result<std::unique_ptr<Connection>> openSqlite(const DatabaseTarget &dbTarget)
{
    std::error_code ignored;
    const std::string path = std::filesystem::absolute(dbTarget.target, ignored).string();
    if (dbTarget.access != Access::Create) {
        if (Status exists = checkExistingFile(path); !exists)
            return exists.error();
    }
    std::error_code missing;
    const bool creating = dbTarget.access == Access::Create
                          && (!std::filesystem::exists(path, missing)
                              || std::filesystem::file_size(path, missing) == 0);
    int flags = SQLITE_OPEN_NOMUTEX;
    if (dbTarget.access == Access::Read)
        flags |= SQLITE_OPEN_READONLY;
    else
        flags |= SQLITE_OPEN_READWRITE;
    if (dbTarget.access == Access::Create)
        flags |= SQLITE_OPEN_CREATE;
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string detail =
            "sqlite open " + path + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        return databaseError(std::move(detail));
    }
    auto connection = std::make_unique<SqliteConnection>(
        db, path, identityOf(path), std::chrono::milliseconds(dbTarget.busyTimeoutMs));
    // A new file of the server's own is made in WAL mode: readers then never
    // wait for a writer. A file that exists keeps the mode its owner chose
    // (WAL does not work on a network file system, say).
    if (creating && dbTarget.walWhenCreated) {
        if (Status wal = connection->execute("PRAGMA journal_mode=WAL"); !wal)
            return wal.error();
    }
    // Only settings of this connection: the journal mode is the file's own,
    // and changing it would write to a file the server only reads. No
    // memory map: SQLite drops the whole map whenever another process
    // commits, and unmapping interrupts every core the process runs on;
    // copying the pages the next query reads again costs less.
    for (const char *pragma : {"PRAGMA mmap_size=0", "PRAGMA cache_size=-65536"}) {
        Status status = connection->execute(pragma);
        if (!status)
            return status.error();
    }
    // Reading the schema now turns a file that is no database into a clear
    // error at open instead of at the first call.
    if (Status readable = connection->execute("SELECT COUNT(*) FROM sqlite_master"); !readable) {
        return Error{"O arquivo não é um banco de dados SQLite legível: " + path + ".",
                     readable.error().detail};
    }
    return std::unique_ptr<Connection>(std::move(connection));
}

std::string sqliteJournalMode(Connection &db)
{
    Result<Statement *> prepared = db.prepare("PRAGMA journal_mode");
    if (!prepared)
        return "?";
    StatementRun run(**prepared);
    Result<bool> row = run->step();
    return row && *row ? std::string(run->text(0)) : "?";
}

} // namespace appserver
