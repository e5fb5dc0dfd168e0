#include "server/db/watched_tables.h"
#include "server/module/queries.h"
#include "server/tests/test_database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>

namespace appserver::testing {
namespace {

// The tables SQLite's own parser finds a statement reading, as its
// authorizer is told while the statement is prepared.
class ReadTables
{
public:
    explicit ReadTables(const std::string &path)
    {
        EXPECT_EQ(sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_set_authorizer(m_db, &ReadTables::authorize, this);
    }
    ~ReadTables() { sqlite3_close_v2(m_db); }
    ReadTables(const ReadTables &) = delete;
    ReadTables &operator=(const ReadTables &) = delete;

    std::set<std::string> of(const std::string &sql)
    {
        m_read.clear();
        sqlite3_stmt *stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
            << sqlite3_errmsg(m_db) << "\n"
            << sql;
        sqlite3_finalize(stmt);
        return m_read;
    }

private:
    static int authorize(void *self, int action, const char *table, const char *, const char *,
                         const char *)
    {
        if (action == SQLITE_READ && table)
            static_cast<ReadTables *>(self)->m_read.insert(table);
        return SQLITE_OK;
    }

    sqlite3 *m_db = nullptr;
    std::set<std::string> m_read;
};

TableSet asTableSet(const std::set<std::string> &names)
{
    TableSet tables;
    for (const std::string &name : names) {
        const std::optional<std::size_t> watched = watchedTableIndex(name);
        tables.set(watched ? *watched : kUnwatchedTable);
    }
    return tables;
}

std::string namesOf(const TableSet &tables)
{
    std::string names;
    for (std::size_t t = 0; t < kWatchedTables.size(); ++t) {
        if (tables.test(t))
            names += std::string(kWatchedTables[t]) + " ";
    }
    return tables.test(kUnwatchedTable) ? names + "(unwatched)" : names;
}

// Catches a query whose declared tables miss one its text reads (a write
// there would never outdate its kept reply) or name one it does not (every
// write there would throw the reply away for nothing). Both dialects' texts
// are held to SQLite's parser: they name their tables alike.
TEST(QueryTablesTest, EachQueryDeclaresTheTablesItsTextReads)
{
    std::string whyNot;
    std::unique_ptr<TestDatabase> db = TestDatabase::create(Backend::SQLite, &whyNot);
    ASSERT_TRUE(db) << whyNot;
    ReadTables read(db->databaseTarget().target);
    for (Dialect dialect : {Dialect::SQLite, Dialect::PostgreSQL}) {
        const std::vector<DeclaredQuery> queries = declaredQueries(dialect);
        EXPECT_EQ(queries.size(), 6u);
        for (const DeclaredQuery &query : queries) {
            const TableSet parsed = asTableSet(read.of(query.sql));
            EXPECT_EQ(namesOf(query.reads), namesOf(parsed)) << query.method << "\n" << query.sql;
            EXPECT_FALSE(query.reads.test(kUnwatchedTable)) << query.method;
        }
    }
}

// Catches the parser check itself going blind: a table read only in a
// subquery, or under an alias, must still be seen.
TEST(QueryTablesTest, TheParserSeesTablesInSubqueriesAndJoins)
{
    std::string whyNot;
    std::unique_ptr<TestDatabase> db = TestDatabase::create(Backend::SQLite, &whyNot);
    ASSERT_TRUE(db) << whyNot;
    ReadTables read(db->databaseTarget().target);
    EXPECT_EQ(read.of("SELECT 1 FROM COMPANHIA C WHERE EXISTS (SELECT 1 FROM PLANOVOO P "
                      "WHERE P.CDCIA = C.CDCIA)"),
              (std::set<std::string>{"COMPANHIA", "PLANOVOO"}));
    EXPECT_EQ(read.of("SELECT X.A FROM (SELECT CDCIA A FROM PLANOVOO) X, BASE B"),
              (std::set<std::string>{"PLANOVOO", "BASE"}));
    EXPECT_EQ(asTableSet({"NOTAS", "BASE"}), tableSet({"BASE", "NOTAS"}));
}

} // namespace
} // namespace appserver::testing
