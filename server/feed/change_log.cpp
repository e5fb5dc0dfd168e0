#include "server/feed/change_log.h"

namespace appserver {
namespace {

std::optional<std::string> textOf(Statement &row, int column)
{
    if (row.isNull(column))
        return std::nullopt;
    return std::string(row.text(column));
}

} // namespace

Result<std::optional<std::int64_t>> currentGeneration(Connection &db, std::string *why)
{
    Result<Statement *> prepared = db.prepare("SELECT NRALTERACAO FROM CONTADOR_ALTERACAO");
    if (!prepared) {
        if (db.sessionFailed())
            return prepared.error();
        *why = prepared.error().detail;
        return std::optional<std::int64_t>();
    }
    StatementRun run(**prepared);
    Result<bool> row = run->step();
    if (!row)
        return row.error();
    if (!*row || run->isNull(0)) {
        *why = "CONTADOR_ALTERACAO has no row";
        return std::optional<std::int64_t>();
    }
    // The log itself, which a schema from before it lacks.
    Result<Statement *> log = db.prepare("SELECT NRGERACAO FROM REGISTRO_ALTERACAO WHERE 1 = 0");
    if (!log) {
        if (db.sessionFailed())
            return log.error();
        *why = log.error().detail;
        return std::optional<std::int64_t>();
    }
    return std::optional<std::int64_t>(run->integer(0));
}

Result<LoggedChanges> changesAfter(Connection &db, std::int64_t after, std::size_t maxRows)
{
    Result<Statement *> prepared =
        db.prepare("SELECT NRGERACAO, NMTABELA, CDFILIAL, DTHRPLAVOOPV, CDCIA, NRVOO, CDTRECHO "
                   "FROM REGISTRO_ALTERACAO WHERE NRGERACAO > ? ORDER BY NRGERACAO LIMIT ?");
    if (!prepared)
        return prepared.error();
    StatementRun run(**prepared);
    run->bindInteger(0, after);
    run->bindInteger(1, static_cast<std::int64_t>(maxRows) + 1);
    LoggedChanges changes;
    changes.last = after;
    for (;;) {
        Result<bool> row = run->step();
        if (!row)
            return row.error();
        if (!*row)
            break;
        if (changes.rows.size() == maxRows) {
            changes.complete = false;
            break;
        }
        LoggedChange change;
        change.generation = run->integer(0);
        change.table = run->isNull(1) ? std::string() : std::string(run->text(1));
        change.branch = textOf(*run, 2);
        change.when = run->isNull(3) ? std::nullopt : run->dateTime(3);
        change.airline = textOf(*run, 4);
        change.flight = textOf(*run, 5);
        change.leg = textOf(*run, 6);
        // Consecutive generations, each once or more.
        if (change.generation != changes.last && change.generation != changes.last + 1)
            changes.complete = false;
        changes.last = change.generation;
        changes.rows.push_back(std::move(change));
    }
    return changes;
}

} // namespace appserver
