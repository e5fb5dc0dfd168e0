#include "server/changes/pg_change_feed.h"

#include "server/changes/table_counters.h"

#include <optional>

namespace appserver {
namespace {

// Each watched table's counter row, moved by statement-level triggers once
// per writing transaction and table. A database made before the per-table
// counters has only the one counter every write moves; one from before
// that cannot tell.
class PgChangeFeed final : public ChangeFeed
{
public:
    Result<Changes> changesSinceLastAsked(Connection &db, std::string *why) override
    {
        if (m_perTableError.empty()) {
            Result<std::optional<TableCounters>> counters = readCounters(db);
            if (!counters)
                return counters.error();
            if (*counters) {
                const TableSet changed = tablesMoved(m_tableCounters, **counters);
                m_tableCounters = *counters;
                return Changes{true, true, changed};
            }
            m_tableCounters.reset();
        }
        Result<Change> change = changeOfTheOneCounter(db, why);
        if (!change)
            return change.error();
        // The schema command moves the one counter when it brings the
        // per-table ones: look for them again.
        if (*change == Change::Changed) {
            m_perTableError.clear();
            Result<std::optional<TableCounters>> counters = readCounters(db);
            if (!counters)
                return counters.error();
            if (*counters) {
                m_tableCounters = *counters;
                return Changes{true, true, allTables()};
            }
        }
        if (why && *change != Change::Unknown)
            *why = m_perTableError;
        switch (*change) {
        case Change::Unchanged:
            return Changes{true, false, {}};
        case Change::Changed:
            return Changes{true, false, allTables()};
        case Change::Unknown:
            break;
        }
        return Changes{false, false, allTables()};
    }

private:
    enum class Change { Unchanged, Changed, Unknown };

    // nullopt (and m_perTableError set, until the one counter moves) when
    // this database keeps no complete per-table counters.
    Result<std::optional<TableCounters>> readCounters(Connection &db)
    {
        Result<Statement *> prepared = db.prepare(kTableCountersSql);
        if (!prepared) {
            if (db.sessionFailed())
                return prepared.error();
            m_perTableError = prepared.error().detail;
            return std::optional<TableCounters>();
        }
        Result<std::optional<TableCounters>> counters =
            readTableCounters(**prepared, &m_perTableError);
        // Dropped since it was prepared, say.
        if (!counters && !db.sessionFailed()) {
            m_perTableError = counters.error().detail;
            return std::optional<TableCounters>();
        }
        return counters;
    }

    Result<Change> changeOfTheOneCounter(Connection &db, std::string *why)
    {
        if (!m_counterError.empty()) {
            if (why)
                *why = m_counterError;
            return Change::Unknown;
        }
        Result<Statement *> prepared = db.prepare("SELECT NRALTERACAO FROM CONTADOR_ALTERACAO");
        if (!prepared) {
            // A connection that failed fails the call; the call's own query
            // would only meet the same broken or hung session.
            if (db.sessionFailed())
                return prepared.error();
            // Asked once per connection: a database without the counter
            // would otherwise cost a failed round trip per call.
            m_counterError = prepared.error().detail;
            if (why)
                *why = m_counterError;
            return Change::Unknown;
        }
        StatementRun run(**prepared);
        Result<bool> row = run->step();
        if (!row) {
            m_lastCounter.reset();
            if (db.sessionFailed())
                return row.error();
            m_counterError = row.error().detail;
            if (why)
                *why = m_counterError;
            return Change::Unknown;
        }
        if (!*row || run->isNull(0)) {
            if (why)
                *why = "CONTADOR_ALTERACAO has no row";
            m_lastCounter.reset();
            return Change::Unknown;
        }
        const std::int64_t counter = run->integer(0);
        const bool same = m_lastCounter == counter;
        m_lastCounter = counter;
        return same ? Change::Unchanged : Change::Changed;
    }

    std::optional<TableCounters> m_tableCounters;
    std::string m_perTableError;
    std::optional<std::int64_t> m_lastCounter;
    std::string m_counterError;
};

} // namespace

std::unique_ptr<ChangeFeed> makePgChangeFeed()
{
    return std::make_unique<PgChangeFeed>();
}

} // namespace appserver
