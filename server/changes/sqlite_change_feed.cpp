#include "server/changes/sqlite_change_feed.h"

#include "server/changes/table_counters.h"

#include <array>
#include <optional>

namespace appserver {
namespace {

// data_version moves only for commits by other connections, which is all
// there are: the server opens the file read-only. Its value means nothing
// across connections, so only this connection's last one is compared. When
// it moved, the tables' change counters (moved by triggers, whoever writes)
// tell which tables; a move that no counter shows, or any change to the
// schema, outdates them all.
class SqliteChangeFeed final : public ChangeFeed
{
public:
    Result<Changes> changesSinceLastAsked(Connection &db, std::string *why) override
    {
        std::string failed;
        const std::optional<std::int64_t> version = pragmaValue(db, "PRAGMA data_version", &failed);
        if (!version) {
            m_lastDataVersion.reset();
            // A file locked by another program: everything is outdated this
            // once, and the next call asks again.
            if (db.sessionFailed())
                return Changes{true, true, allTables()};
            if (why)
                *why = failed;
            return Changes{false, false, allTables()};
        }
        if (m_lastDataVersion == version) {
            if (why && !m_counted)
                *why = m_uncounted;
            return Changes{true, m_counted, {}};
        }
        m_lastDataVersion = version;
        // A read that fails here (a writer holding the file, say) outdates
        // everything this once; the next move asks again.
        const std::optional<std::int64_t> schema =
            pragmaValue(db, "PRAGMA schema_version", &failed);
        if (!schema) {
            m_counters.reset();
            return Changes{true, true, allTables()};
        }
        const bool schemaMoved = schema != m_lastSchemaVersion;
        if (schemaMoved) {
            std::string why;
            const bool counted = countersInstalled(db, &why);
            // A file locked by another program tells nothing about its
            // counters: everything is outdated this once, and the next
            // call looks again.
            if (!counted && db.sessionFailed()) {
                m_lastDataVersion.reset();
                m_counters.reset();
                return Changes{true, true, allTables()};
            }
            m_lastSchemaVersion = schema;
            m_counted = counted;
            m_uncounted = why;
        }
        if (!m_counted) {
            if (why)
                *why = m_uncounted;
            m_counters.reset();
            return Changes{true, false, allTables()};
        }
        const std::optional<TableCounters> counters = readCounters(db, &failed);
        TableSet changed;
        if (counters && !schemaMoved)
            changed = tablesMoved(m_counters, *counters);
        if (changed.none())
            changed = allTables();
        m_counters = counters;
        return Changes{true, true, changed};
    }

private:
    // The first column of a one-row statement of the connection's cache.
    static std::optional<std::int64_t> pragmaValue(Connection &db, std::string_view sql,
                                                   std::string *failed)
    {
        Result<std::optional<std::int64_t>> value = queryInteger(db, sql);
        if (!value) {
            *failed = value.error().detail;
            return std::nullopt;
        }
        if (!*value)
            *failed = std::string(sql) + " gave no row";
        return *value;
    }

    // The counter table with a row per watched table, and the three
    // triggers per table that move it; `why` says what is missing.
    static bool countersInstalled(Connection &db, std::string *why)
    {
        Result<Statement *> prepared =
            db.prepare("SELECT name, tbl_name FROM sqlite_master WHERE type = 'trigger'");
        if (!prepared) {
            *why = prepared.error().detail;
            return false;
        }
        std::array<int, kWatchedTables.size()> triggers{};
        {
            StatementRun run(**prepared);
            for (;;) {
                Result<bool> row = run->step();
                if (!row) {
                    *why = row.error().detail;
                    return false;
                }
                if (!*row)
                    break;
                const std::optional<std::size_t> table = watchedTableIndex(run->text(1));
                if (!table)
                    continue;
                const std::string name(run->text(0));
                const std::string expected = "ALTERA_" + std::string(kWatchedTables[*table]) + "_";
                for (const char *what : {"INSERT", "UPDATE", "DELETE"}) {
                    if (name == expected + what)
                        ++triggers[*table];
                }
            }
        }
        for (std::size_t t = 0; t < kWatchedTables.size(); ++t) {
            if (triggers[t] != 3) {
                *why = "no change-counting triggers on " + std::string(kWatchedTables[t]);
                return false;
            }
        }
        return readCounters(db, why).has_value();
    }

    static std::optional<TableCounters> readCounters(Connection &db, std::string *why)
    {
        Result<Statement *> prepared = db.prepare(kTableCountersSql);
        if (!prepared) {
            *why = prepared.error().detail;
            return std::nullopt;
        }
        Result<std::optional<TableCounters>> counters = readTableCounters(**prepared, why);
        if (!counters) {
            *why = counters.error().detail;
            return std::nullopt;
        }
        return *counters;
    }

    std::optional<std::int64_t> m_lastDataVersion;
    std::optional<std::int64_t> m_lastSchemaVersion;
    bool m_counted = false;
    std::string m_uncounted = "no change counters read yet";
    std::optional<TableCounters> m_counters;
};

} // namespace

std::unique_ptr<ChangeFeed> makeSqliteChangeFeed()
{
    return std::make_unique<SqliteChangeFeed>();
}

} // namespace appserver
