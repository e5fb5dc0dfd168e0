#include "server/db/watched_tables.h"
#include "server/module/queries.h"
#include "server/tests/fixture.h"

#include <gtest/gtest.h>

namespace appserver::testing {
namespace {

TableSet tables(std::initializer_list<const char *> names)
{
    TableSet set;
    for (const char *name : names) {
        if (std::string_view(name) == "unwatched")
            set.set(kUnwatchedTable);
        else
            set.set(*watchedTableIndex(name));
    }
    return set;
}

// Catches a reply kept without a table it read (a write there would never
// outdate it) or kept although it read a table no trigger watches.
TEST(WatchedTablesTest, AStatementNamesTheTablesItReads)
{
    EXPECT_EQ(tablesNamedIn("SELECT * FROM NOTAS"), tables({"unwatched"}));
    EXPECT_EQ(tablesNamedIn("select c.sgcia from companhia c, notas n where n.x = c.cdcia"),
              tables({"COMPANHIA", "unwatched"}));
    EXPECT_EQ(tablesNamedIn("SELECT 1 FROM PLANOVOO P JOIN public.notas X ON X.A = P.CDCIA"),
              tables({"PLANOVOO", "unwatched"}));
    EXPECT_EQ(tablesNamedIn("SELECT 1 FROM \"PLANOVOO\""), tables({"unwatched"}));
    EXPECT_EQ(tablesNamedIn("SELECT X.A FROM (SELECT CDCIA A FROM PLANOVOO) X, BASE B"),
              tables({"PLANOVOO", "BASE"}));
    EXPECT_EQ(tablesNamedIn("SELECT 'FROM NOTAS', CDCIA, SGCIA FROM COMPANHIA WHERE CDCIA IN "
                            "(SELECT CDCIA FROM CIAFILIAL), 'a''b'"),
              tables({"COMPANHIA", "CIAFILIAL"}));
    // Columns that contain a table's name are not that table.
    EXPECT_EQ(tablesNamedIn("SELECT CDSERVICO, CDCLASSE, CDFILIAL, CDBASEORI FROM SERVPLANO"),
              tables({"SERVPLANO"}));

    for (Dialect dialect : {Dialect::SQLite, Dialect::PostgreSQL}) {
        for (std::size_t listSize : {0, 3})
            EXPECT_EQ(tablesNamedIn(planoVooSql(dialect, listSize)),
                      tables({"PLANOVOO", "COMPANHIA", "BASE"}));
    }
    EXPECT_EQ(tablesNamedIn(servPlanoSql()), tables({"SERVPLANO", "COMPANHIA", "SERVICO"}));
}

// What each remote method's query read, as the reply cache sees it through
// the connection.
using MethodTablesTest = BackendTest;

TEST_P(MethodTablesTest, EachMethodReadsTheTablesItJoins)
{
    Connection &db = m_db->connection();
    loadFixture(db);
    const FlightKey key{"JJ", "GRU", "3054", "01", detailedFlightAt()};
    const auto read = [&](auto query) {
        db.resetTablesRead();
        pb::DataPacket packet;
        EXPECT_TRUE(query(&packet).ok());
        return db.tablesRead();
    };
    EXPECT_EQ(read([&](pb::DataPacket *p) { return selectPrevPax(db, key, p); }),
              tables({"PREVISAOPAX", "CLASSE"}));
    EXPECT_EQ(read([&](pb::DataPacket *p) { return selectServPlano(db, key, p); }),
              tables({"SERVPLANO", "COMPANHIA", "SERVICO"}));
    EXPECT_EQ(read([&](pb::DataPacket *p) { return selectCia(db, "GRU", p); }),
              tables({"CIAFILIAL", "COMPANHIA"}));
    EXPECT_EQ(read([&](pb::DataPacket *p) { return selectCompanhia(db, fixtureDay(), p); }),
              tables({"COMPANHIA", "PLANOVOO"}));
    PlanoVooSelection selection;
    selection.branch = "GRU";
    selection.date = fixtureDay();
    selection.allAirlines = true;
    EXPECT_EQ(read([&](pb::DataPacket *p) { return selectPlanoVoo(db, selection, p); }),
              tables({"PLANOVOO", "COMPANHIA", "BASE"}));
}

INSTANTIATE_TEST_SUITE_P(Databases, MethodTablesTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) { return backendName(info.param); });

} // namespace
} // namespace appserver::testing
