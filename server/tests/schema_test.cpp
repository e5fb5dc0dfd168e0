#include "server/cache/reply_cache.h"
#include "server/changes/change_feed.h"
#include "server/db/schema.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/tests/call_helpers.h"
#include "server/tests/fixture.h"
#include "server/transport/call_handler.h"

#include <gtest/gtest.h>

#include <thread>

namespace appserver::testing {
namespace {

using SchemaTest = BackendTest;

// Catches a start-up migration that fails or duplicates work on a database
// already at the current version, or loses its rows.
TEST_P(SchemaTest, MigrationIsRecordedAndRepeatable)
{
    Connection &db = m_db->connection();
    EXPECT_EQ(*schemaVersion(db), latestSchemaVersion());
    insertRow(db, "FILIAL", {"CDFILIAL", "NMFILIAL", "IDCNTRRESC"}, {"GRU", "Guarulhos", "N"});
    Status again = migrateSchema(db);
    ASSERT_TRUE(again.ok()) << again.error().detail;
    EXPECT_EQ(*schemaVersion(db), latestSchemaVersion());
    Result<Statement *> count = db.prepare("SELECT COUNT(*) FROM FILIAL");
    ASSERT_TRUE(count.ok());
    StatementRun run(**count);
    ASSERT_TRUE(*run->step());
    EXPECT_EQ(run->integer(0), 1);
}

// Catches a migration file that leaves a watched table without its change
// counter or its triggers: the reply cache would then throw every kept
// reply away on any write, or never notice writes to that table.
TEST_P(SchemaTest, EveryWatchedTableHasItsChangeCounter)
{
    Connection &db = m_db->connection();
    std::string why;
    Result<Changes> first = changeFeedOf(db).changesSinceLastAsked(db, &why);
    ASSERT_TRUE(first.ok()) << first.error().detail;
    EXPECT_TRUE(first->known) << why;
    EXPECT_TRUE(first->perTable) << why;
    Result<Statement *> rows = db.prepare("SELECT COUNT(*) FROM CONTADOR_TABELA");
    ASSERT_TRUE(rows.ok());
    StatementRun run(**rows);
    ASSERT_TRUE(*run->step());
    EXPECT_EQ(run->integer(0), static_cast<std::int64_t>(kWatchedTables.size()));
}

// Catches a server that starts on a database written by a newer version.
TEST_P(SchemaTest, RefusesANewerSchema)
{
    Connection &db = m_db->connection();
    insertRow(db, "SCHEMA_VERSAO", {"NRVERSAO", "DTHRAPLICACAO"}, {latestSchemaVersion() + 1, "x"});
    Status refused = migrateSchema(db);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().message.find("versão de esquema mais nova"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Databases, SchemaTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) { return backendName(info.param); });

// Catches readers that fail while another process holds SQLite's write lock
// (WAL mode and the busy timeout must keep them going).
TEST(SqliteConcurrencyTest, AWriterNeverFailsTheReaders)
{
    std::string whyNot;
    std::unique_ptr<TestDatabase> db = TestDatabase::create(Backend::SQLite, &whyNot);
    ASSERT_TRUE(db) << whyNot;
    loadFixture(db->connection());

    Result<std::unique_ptr<Connection>> writer = openConnection(db->databaseTarget());
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE((*writer)->execute("BEGIN IMMEDIATE").ok());
    insertRow(**writer, "FILIAL", {"CDFILIAL", "NMFILIAL", "IDCNTRRESC"},
              {"CGH", "Congonhas", "N"});

    CallLog log(stderr);
    ConnectionPool pool(db->databaseTarget());
    ReplyCache cache;
    CallHandler handler(pool, log);
    handler.addModule(rdmPosFDiPlav(cache));
    pb::CallReply reply;
    std::thread reader([&] {
        handler.handle(request("GetPlanoVoo",
                               {textArg(""), textArg("T"), dateArg(fixtureDay()), textArg("GRU")}),
                       &reply);
    });
    reader.join();
    ASSERT_TRUE(reply.has_packet()) << reply.failure().message();
    EXPECT_EQ(reply.packet().row_count(), 7u);
    EXPECT_TRUE((*writer)->execute("COMMIT").ok());
}

} // namespace
} // namespace appserver::testing
