#include "server/feed/change_tail.h"

#include <pthread.h>

#include <algorithm>
#include <random>

namespace appserver {
namespace {

constexpr std::string_view kChannel = "ate_alteracao";

std::string newInstance()
{
    std::random_device random;
    std::uniform_int_distribution<unsigned> digit(0, 15);
    std::string id(16, '0');
    for (char &c : id)
        c = "0123456789abcdef"[digit(random)];
    return id;
}

// The schema the server's tables are in: the triggers notify with it, and
// other schemas of the same database notify the same channel.
std::string currentSchema(Connection &db)
{
    Result<std::optional<std::string>> schema = queryText(db, "SELECT current_schema()");
    return schema && *schema ? **schema : std::string();
}

std::optional<std::int64_t> dataVersion(Connection &db)
{
    Result<std::optional<std::int64_t>> version = queryInteger(db, "PRAGMA data_version");
    return version ? *version : std::nullopt;
}

} // namespace

ChangeTail::ChangeTail(Options options, Log log)
    : m_options(std::move(options))
    , m_log(std::move(log))
    , m_instance(newInstance())
{
}

ChangeTail::~ChangeTail()
{
    stop();
}

void ChangeTail::setWake(std::function<void()> wake)
{
    std::lock_guard lock(m_wakeMutex);
    m_wake = std::move(wake);
}

void ChangeTail::wake()
{
    std::lock_guard lock(m_wakeMutex);
    if (m_wake)
        m_wake();
}

void ChangeTail::start()
{
    m_thread = std::thread([this] { run(); });
}

void ChangeTail::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

FeedPosition ChangeTail::position() const
{
    std::lock_guard lock(m_mutex);
    return {m_instance, m_generation, m_inStep};
}

FeedNotice ChangeTail::since(std::string_view instance, std::uint64_t generation) const
{
    std::lock_guard lock(m_mutex);
    FeedNotice notice{m_instance, m_generation, m_inStep, false, {}};
    if (!m_inStep)
        return notice;
    if (instance != m_instance || generation < m_floor || generation > m_generation) {
        notice.everything = true;
        return notice;
    }
    for (auto entry = m_history.rbegin(); entry != m_history.rend(); ++entry) {
        if (entry->generation <= generation)
            break;
        if (entry->everything) {
            notice.everything = true;
            notice.scopes.clear();
            return notice;
        }
        notice.scopes.insert(notice.scopes.end(), entry->scopes.begin(), entry->scopes.end());
    }
    std::sort(notice.scopes.begin(), notice.scopes.end());
    notice.scopes.erase(std::unique(notice.scopes.begin(), notice.scopes.end()),
                        notice.scopes.end());
    return notice;
}

bool ChangeTail::waitFor(std::uint64_t generation, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout,
                              [&] { return m_inStep && m_generation >= generation; });
}

void ChangeTail::logOnce(const std::string &line)
{
    if (line == m_lastLogged)
        return;
    m_lastLogged = line;
    if (m_log)
        m_log(line);
}

void ChangeTail::setInStep(bool inStep)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_inStep == inStep)
            return;
        m_inStep = inStep;
    }
    m_changed.notify_all();
    wake();
}

bool ChangeTail::idle(std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    return !m_changed.wait_for(lock, wait, [this] { return m_stopping; });
}

void ChangeTail::record(const LoggedChanges &changes)
{
    Entry entry;
    entry.generation = static_cast<std::uint64_t>(changes.last);
    entry.everything = !changes.complete;
    for (const LoggedChange &row : changes.rows) {
        if (entry.everything)
            break;
        if (row.table.empty())
            continue;
        std::optional<std::vector<std::string>> scopes = m_options.scopesOf(row);
        if (!scopes) {
            entry.everything = true;
            entry.scopes.clear();
            break;
        }
        entry.scopes.insert(entry.scopes.end(), scopes->begin(), scopes->end());
    }
    std::sort(entry.scopes.begin(), entry.scopes.end());
    entry.scopes.erase(std::unique(entry.scopes.begin(), entry.scopes.end()), entry.scopes.end());
    {
        std::lock_guard lock(m_mutex);
        const bool moved = entry.generation != m_generation || entry.everything;
        if (!moved && m_inStep)
            return;
        m_generation = entry.generation;
        m_inStep = true;
        if (moved)
            m_history.push_back(std::move(entry));
        while (m_history.size() > m_options.historyEntries) {
            m_floor = m_history.front().generation;
            m_history.pop_front();
        }
    }
    m_changed.notify_all();
    wake();
}

bool ChangeTail::readLog(Connection &db)
{
    std::uint64_t after = 0;
    {
        std::lock_guard lock(m_mutex);
        after = m_generation;
    }
    db.setDeadline(std::chrono::steady_clock::now() + std::chrono::seconds(5));
    Result<LoggedChanges> changes =
        changesAfter(db, static_cast<std::int64_t>(after), m_options.maxRowsPerRead);
    if (!changes) {
        logOnce("change feed: cannot read the change log: " + changes.error().detail);
        return false;
    }
    record(*changes);
    return true;
}

// Follows one connection until it fails (false) or the tail stops (true).
bool ChangeTail::follow(Connection &db, bool reopened)
{
    const bool postgres = db.dialect() == Dialect::PostgreSQL;
    std::string schema;
    if (postgres) {
        db.setDeadline(std::chrono::steady_clock::now() + std::chrono::seconds(5));
        // Listening first: a commit between reading the log and listening
        // would otherwise go unnoticed until the next recheck.
        if (Status listening = db.execute("LISTEN " + std::string(kChannel)); !listening) {
            logOnce("change feed: LISTEN failed: " + listening.error().detail);
            return false;
        }
        schema = currentSchema(db);
        // For an operator looking at pg_stat_activity.
        std::string name = "ate-appserver changes " + schema;
        for (std::size_t at = name.find('\''); at != std::string::npos;
             at = name.find('\'', at + 2))
            name.insert(at, 1, '\'');
        (void)db.execute("SET application_name = '" + name + "'");
    }
    std::string why;
    db.setDeadline(std::chrono::steady_clock::now() + std::chrono::seconds(5));
    Result<std::optional<std::int64_t>> current = currentGeneration(db, &why);
    if (!current) {
        logOnce("change feed: cannot read the generation: " + current.error().detail);
        return false;
    }
    if (!*current) {
        // A schema from before the change log: the hosts read everything
        // from the server, as from a server without the feed. Looked for
        // again now and then, in case the schema command runs meanwhile.
        logOnce("change feed off: the database keeps no change log (" + why
                + "); ate-appserver --init-schema brings it");
        setInStep(false);
        return idle(std::chrono::seconds(5)) ? false : true;
    }
    bool restart = false;
    {
        std::lock_guard lock(m_mutex);
        // A new file, or generations behind those read: another database,
        // whose log says nothing about what was read before. The hosts learn
        // it from a new instance, and read everything again.
        restart = !m_started || (reopened && !postgres)
                  || static_cast<std::uint64_t>(**current) < m_generation;
        if (restart) {
            if (m_started)
                m_instance = newInstance();
            m_started = true;
            m_generation = static_cast<std::uint64_t>(**current);
            m_floor = m_generation;
            m_history.clear();
            m_inStep = true;
        }
    }
    if (restart) {
        m_changed.notify_all();
        wake();
    } else if (!readLog(db)) {
        return false;
    }
    logOnce("change feed in step at generation " + std::to_string(**current));

    std::int64_t version = -1; // SQLite's data_version, never negative
    if (!postgres)
        version = dataVersion(db).value_or(-1);
    auto lastRead = std::chrono::steady_clock::now();
    bool failedRead = false; // read again before claiming to be in step
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping)
                return true;
        }
        bool read = false;
        if (postgres) {
            // Short waits, so that stopping is prompt.
            Result<std::vector<std::string>> notices =
                db.awaitNotifications(std::chrono::milliseconds(250));
            if (!notices) {
                logOnce("change feed: lost the database: " + notices.error().detail);
                return false;
            }
            for (const std::string &payload : *notices)
                read = read || payload == schema || schema.empty();
        } else {
            if (!idle(m_options.sqlitePoll))
                return true;
            if (!db.isUsable()) {
                logOnce("change feed: the database file changed or went away");
                return false;
            }
            std::optional<std::int64_t> now = dataVersion(db);
            if (!now) {
                // A writer holding the file in a journal mode other than WAL.
                setInStep(false);
                continue;
            }
            read = *now != version;
            version = *now;
        }
        if (failedRead || std::chrono::steady_clock::now() - lastRead >= m_options.recheck)
            read = true;
        if (!read) {
            if (!postgres)
                setInStep(true);
            continue;
        }
        lastRead = std::chrono::steady_clock::now();
        failedRead = !readLog(db);
        if (failedRead) {
            if (db.sessionFailed())
                return false;
            setInStep(false);
        }
    }
}

void ChangeTail::run()
{
    pthread_setname_np(pthread_self(), "ate-changes");
    bool reopened = false;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping)
                return;
        }
        DatabaseTarget target = m_options.database;
        target.access = Access::Read;
        Result<std::unique_ptr<Connection>> db =
            openConnection(target, std::chrono::steady_clock::now() + std::chrono::seconds(5));
        if (!db) {
            logOnce("change feed: cannot open the database: " + db.error().detail);
        } else if (follow(**db, reopened)) {
            return;
        }
        reopened = true;
        setInStep(false);
        if (!idle(m_options.reconnect))
            return;
    }
}

} // namespace appserver
