#include "server/cache/reply_cache.h"
#include "server/db/schema.h"
#include "server/db/sql_time.h"
#include "server/demo/demo_data.h"
#include "server/module/queries.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/tests/call_helpers.h"
#include "server/tests/fixture.h"
#include "server/transport/call_handler.h"
#include "testing/process/server_process.h"

#include <gtest/gtest.h>

#include <grpcpp/grpcpp.h>

#include <signal.h>

#include "proto/appserver.grpc.pb.h"

namespace appserver::testing {
namespace {

pb::CallRequest dayRequest()
{
    return request("GetPlanoVoo",
                   {textArg("", true), textArg("T"), dateArg(fixtureDay()), textArg("GRU")});
}

// A packet as the client reads it, from the bytes that would be sent.
pb::DataPacket sent(ReplyPacket &packet)
{
    pb::DataPacket parsed;
    EXPECT_TRUE(parsed.ParseFromString(*packet.bytes()));
    return parsed;
}

// The reply cache over a database of the test's own, with readers opened
// as the server opens them and a writer of the test's.
class ReplyCacheTest : public BackendTest
{
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (IsSkipped())
            return;
        loadFixture(m_db->connection());
        for (auto *reader : {&m_reader, &m_otherReader}) {
            Result<std::unique_ptr<Connection>> opened = openConnection(m_db->databaseTarget());
            ASSERT_TRUE(opened.ok()) << opened.error().detail;
            *reader = std::move(*opened);
        }
    }

    // The day's situations, as GetPlanoVoo through the cache answers them.
    std::vector<std::string> situations(Connection &reader)
    {
        ReplyPacket packet;
        Result<std::uint32_t> rows = dayThroughCache(reader, &packet, [&] { ++m_queries; });
        EXPECT_TRUE(rows.ok()) << rows.error().detail;
        return texts(sent(packet), "IDSITABASPV");
    }

    // The queries themselves: the module's methods go through the server's
    // own cache, which would ask the connection too.
    template<typename Counted>
    Result<std::uint32_t> dayThroughCache(Connection &reader, ReplyPacket *packet, Counted counted)
    {
        const pb::CallRequest req = dayRequest();
        return m_cache.run(reader, "GetPlanoVoo", req.arguments(), planoVooReads(), packet,
                           [&](pb::DataPacket *out) {
                               counted();
                               PlanoVooSelection selection;
                               selection.branch = "GRU";
                               selection.date = fixtureDay();
                               selection.allAirlines = true;
                               return selectPlanoVoo(reader, selection, out);
                           });
    }

    void write(const std::string &sql)
    {
        Status done = m_db->connection().execute(sql);
        ASSERT_TRUE(done.ok()) << done.error().detail;
    }

    // Back to before the change log (schema version 4).
    void dropChangeLog()
    {
        const bool sqlite = GetParam() == Backend::SQLite;
        for (std::string_view watched : kWatchedTables) {
            const std::string table(watched);
            const bool keyed =
                table == "PLANOVOO" || table == "PREVISAOPAX" || table == "SERVPLANO";
            if (!sqlite && !keyed)
                continue;
            for (const char *what : {"INSERT", "UPDATE", "DELETE"})
                write("DROP TRIGGER REGISTRA_" + table + "_" + what
                      + (sqlite ? "" : " ON " + table));
        }
        write("DROP TABLE REGISTRO_ALTERACAO");
        if (sqlite) {
            write("DROP TABLE CONTADOR_ALTERACAO");
        } else {
            write("DROP FUNCTION REGISTRA_CHAVES()");
            write("DROP FUNCTION GERACAO_ALTERACAO(TEXT)");
        }
        write("DELETE FROM SCHEMA_VERSAO WHERE NRVERSAO = 4");
    }

    // The detailed flight's services (their situations), through the cache.
    std::vector<std::string> services(Connection &reader, const char *field = "IDSITSERSP")
    {
        const FlightKey key{"JJ", "GRU", "3054", "01", detailedFlightAt()};
        const pb::CallRequest req =
            request("GetServPlano", {textArg(key.cdcia), textArg(key.cdfilial), textArg(key.nrvoo),
                                     textArg(key.cdtrecho), dateArg(key.dthrplavoopv)});
        ReplyPacket packet;
        Result<std::uint32_t> rows =
            m_cache.run(reader, "GetServPlano", req.arguments(), servPlanoReads(), &packet,
                        [&](pb::DataPacket *out) {
                            ++m_serviceQueries;
                            return selectServPlano(reader, key, out);
                        });
        EXPECT_TRUE(rows.ok()) << rows.error().detail;
        return texts(sent(packet), field);
    }

    ReplyCache m_cache;
    int m_queries = 0;
    int m_serviceQueries = 0;
    std::unique_ptr<Connection> m_reader;
    std::unique_ptr<Connection> m_otherReader;
};

// Catches a cached day served after another client's write: the next call,
// on the connection that cached it or on another, shows the write.
TEST_P(ReplyCacheTest, AWriteByAnotherConnectionIsSeenByTheNextCall)
{
    const std::vector<std::string> before = situations(*m_reader);
    ASSERT_EQ(before.size(), 7u);
    EXPECT_EQ(situations(*m_reader), before);
    EXPECT_EQ(m_queries, 1) << "an unchanged day is read from the database again";
    // The other reader's first call cannot know what came before it.
    EXPECT_EQ(situations(*m_otherReader), before);
    EXPECT_EQ(m_queries, 2);
    EXPECT_EQ(situations(*m_otherReader), before);
    EXPECT_EQ(m_queries, 2);

    write("UPDATE PLANOVOO SET IDSITABASPV = '9' WHERE CDFILIAL = 'GRU'");
    EXPECT_EQ(situations(*m_otherReader), std::vector<std::string>(7, "9"));
    EXPECT_EQ(situations(*m_reader), std::vector<std::string>(7, "9"));

    // A table the plan only joins counts as much as the plan's own.
    write("UPDATE PLANOVOO SET IDSITABASPV = '1' WHERE CDFILIAL = 'GRU'");
    EXPECT_EQ(situations(*m_reader), std::vector<std::string>(7, "1"));
    write("DELETE FROM PLANOVOO WHERE CDFILIAL = 'GRU' AND NRVOO = '88'");
    EXPECT_EQ(situations(*m_otherReader).size(), 6u);
    EXPECT_EQ(situations(*m_reader).size(), 6u);
    const ReplyCache::Counts counts = m_cache.counts();
    EXPECT_GE(counts.hits, 2u);
    EXPECT_EQ(counts.uncached, 0u);
}

// Catches an airline's new abbreviation hidden behind the cached plans
// that show it.
TEST_P(ReplyCacheTest, AWriteToAJoinedTableIsSeen)
{
    const auto airlines = [&] {
        ReplyPacket packet;
        EXPECT_TRUE(dayThroughCache(*m_reader, &packet, [] {}).ok());
        return texts(sent(packet), "SGCIA");
    };
    const std::vector<std::string> before = airlines();
    ASSERT_FALSE(before.empty());
    write("UPDATE COMPANHIA SET SGCIA = 'NEW' WHERE CDCIA = 'AA'");
    const std::vector<std::string> after = airlines();
    EXPECT_NE(after, before);
    EXPECT_NE(std::find(after.begin(), after.end(), "NEW"), after.end());
}

// Catches a write to one table that leaves another table's replies stale,
// and a write to the flight plans that needlessly drops the services kept
// for the flight on screen.
TEST_P(ReplyCacheTest, AWriteOutdatesOnlyTheRepliesThatReadItsTable)
{
    const std::vector<std::string> before = services(*m_reader);
    ASSERT_EQ(before.size(), 3u);
    situations(*m_reader);
    ASSERT_EQ(m_serviceQueries, 1);

    write("UPDATE PLANOVOO SET IDSITABASPV = '9' WHERE CDFILIAL = 'GRU'");
    EXPECT_EQ(situations(*m_reader), std::vector<std::string>(7, "9"));
    EXPECT_EQ(services(*m_reader), before);
    EXPECT_EQ(m_serviceQueries, 1) << "a write to PLANOVOO outdated the services";

    write("UPDATE SERVPLANO SET IDSITSERSP = '7' WHERE NRVOO = '3054'");
    EXPECT_EQ(services(*m_reader), std::vector<std::string>(3, "7"));
    EXPECT_EQ(m_serviceQueries, 2);
    // The other reader has not asked since either write.
    EXPECT_EQ(services(*m_otherReader), std::vector<std::string>(3, "7"));

    // A table the services only join.
    write("UPDATE SERVICO SET DSSERVICO = 'Novo nome' WHERE CDSERVICO = 'REFVEG'");
    const std::vector<std::string> names = services(*m_reader, "DSSERVICO");
    EXPECT_NE(std::find(names.begin(), names.end(), "Novo nome"), names.end());
    // Several writes to several tables between two calls.
    write("UPDATE PREVISAOPAX SET QTPAXSBY = 1");
    write("DELETE FROM SERVPLANO WHERE NRITEMPLANSP = 3");
    write("UPDATE COMPANHIA SET SGCIA = 'NEW' WHERE CDCIA = 'TP'");
    EXPECT_EQ(services(*m_reader).size(), 2u);
    EXPECT_EQ(situations(*m_otherReader).size(), 7u);
    EXPECT_EQ(m_cache.counts().unwatched, 0u);
}

// Catches a reply kept although its query read a table no counter
// watches: no write to that table would ever outdate it.
TEST_P(ReplyCacheTest, AReplyFromAnUnwatchedTableIsNotKept)
{
    write("CREATE TABLE NOTAS (TEXTO VARCHAR(10))");
    write("INSERT INTO NOTAS (TEXTO) VALUES ('a')");
    const pb::CallRequest req = request("GetCia", {textArg("GRU")});
    const auto notes = [&] {
        ReplyPacket packet;
        Result<std::uint32_t> rows =
            m_cache.run(*m_reader, "GetCia", req.arguments(), tableSet({"COMPANHIA", "NOTAS"}),
                        &packet, [&](pb::DataPacket *out) {
                            Result<Statement *> prepared =
                                m_reader->prepare("SELECT TEXTO FROM COMPANHIA C, NOTAS");
                            if (!prepared)
                                return Result<std::uint32_t>(prepared.error());
                            (void)out;
                            StatementRun run(**prepared);
                            std::uint32_t count = 0;
                            for (Result<bool> row = run->step(); row && *row; row = run->step())
                                ++count;
                            return Result<std::uint32_t>(count);
                        });
        EXPECT_TRUE(rows.ok()) << rows.error().detail;
        return *rows;
    };
    EXPECT_EQ(notes(), 4u);
    write("INSERT INTO NOTAS (TEXTO) VALUES ('b')");
    EXPECT_EQ(notes(), 8u);
    EXPECT_EQ(m_cache.counts().unwatched, 2u);
    EXPECT_EQ(m_cache.counts().entries, 0u);
}

// Catches a day too large to send that is read and built again on every
// request (seconds of a worker and hundreds of MB each time): the refusal
// is kept like a reply, until a write changes the day.
TEST_P(ReplyCacheTest, AReplyTooLargeToSendIsBuiltOnceUntilTheDayChanges)
{
    ReplyCacheLimits limits;
    limits.maxReplyBytes = 64;
    m_cache.setLimits(limits);
    for (int request = 0; request < 4; ++request) {
        ReplyPacket packet;
        Result<std::uint32_t> rows = dayThroughCache(*m_reader, &packet, [&] { ++m_queries; });
        ASSERT_FALSE(rows.ok());
        EXPECT_NE(rows.error().message.find("acima do limite de 64 bytes"), std::string::npos)
            << rows.error().message;
    }
    EXPECT_EQ(m_queries, 1);
    write("UPDATE PLANOVOO SET IDSITABASPV = '9' WHERE CDFILIAL = 'GRU'");
    ReplyPacket packet;
    EXPECT_FALSE(dayThroughCache(*m_reader, &packet, [&] { ++m_queries; }).ok());
    EXPECT_EQ(m_queries, 2);
    // Within the limit again, the day is answered.
    limits.maxReplyBytes = 0;
    m_cache.setLimits(limits);
    EXPECT_EQ(situations(*m_reader), std::vector<std::string>(7, "9"));
}

// Catches a cache that grows without bound: past its limits the least
// recently used replies go.
TEST_P(ReplyCacheTest, StaysWithinItsLimits)
{
    ReplyCacheLimits limits;
    limits.maxEntries = 2;
    m_cache.setLimits(limits);
    for (const char *branch : {"GRU", "POA", "CGH", "GRU"}) {
        const pb::CallRequest req = request("GetCia", {textArg(branch)});
        ReplyPacket packet;
        ASSERT_TRUE(m_cache
                        .run(*m_reader, "GetCia", req.arguments(), ciaReads(), &packet,
                             [&](pb::DataPacket *out) { return selectCia(*m_reader, branch, out); })
                        .ok());
    }
    ReplyCache::Counts counts = m_cache.counts();
    EXPECT_EQ(counts.entries, 2u);
    EXPECT_EQ(counts.hits, 0u) << "GRU was the oldest and should have gone";
    limits.maxBytes = counts.bytes - 1;
    m_cache.setLimits(limits);
    counts = m_cache.counts();
    EXPECT_LE(counts.bytes, limits.maxBytes);
    EXPECT_EQ(counts.entries, 1u);
}

INSTANTIATE_TEST_SUITE_P(Databases, ReplyCacheTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) { return backendName(info.param); });

using OldPostgresTest = ReplyCacheTest;

// Catches a stale reply (or a refusal to serve) on a PostgreSQL database
// made before the change counter existed: every call reads the database.
TEST_P(OldPostgresTest, ADatabaseWithoutTheCounterIsServedUncached)
{
    if (GetParam() != Backend::PostgreSQL)
        GTEST_SKIP() << "only PostgreSQL keeps a change counter";
    for (std::string_view table : kWatchedTables) {
        const std::string name(table);
        write("DROP TRIGGER ALTERA_" + name + " ON " + name);
    }
    dropChangeLog();
    write("DROP FUNCTION CONTA_ALTERACAO()");
    write("DROP TABLE CONTADOR_ALTERACAO");
    write("DROP TABLE CONTADOR_TABELA");
    std::vector<std::string> notices;
    m_cache.setNotice([&](const std::string &line) { notices.push_back(line); });

    EXPECT_EQ(situations(*m_reader).size(), 7u);
    EXPECT_EQ(situations(*m_reader).size(), 7u);
    write("UPDATE PLANOVOO SET IDSITABASPV = '9' WHERE CDFILIAL = 'GRU'");
    EXPECT_EQ(situations(*m_reader), std::vector<std::string>(7, "9"));
    EXPECT_EQ(m_queries, 3);
    EXPECT_EQ(m_cache.counts().uncached, 3u);
    ASSERT_EQ(notices.size(), 1u) << "one log line per database";
    EXPECT_NE(notices[0].find("--init-schema"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Databases, OldPostgresTest, ::testing::Values(Backend::PostgreSQL),
                         [](const auto &info) { return backendName(info.param); });

// The database as schema version 2 left it: on PostgreSQL the one counter
// and its trigger function, on SQLite no triggers at all.
class CoarseChangesTest : public ReplyCacheTest
{
protected:
    void backToVersionTwo()
    {
        dropChangeLog();
        if (GetParam() == Backend::PostgreSQL) {
            write(R"(CREATE OR REPLACE FUNCTION CONTA_ALTERACAO() RETURNS trigger
                     LANGUAGE plpgsql AS $$
                     BEGIN
                         IF current_setting('ate.alteracao_contada', true)
                                IS DISTINCT FROM '1' THEN
                             UPDATE CONTADOR_ALTERACAO SET NRALTERACAO = NRALTERACAO + 1;
                             PERFORM set_config('ate.alteracao_contada', '1', true);
                         END IF;
                         RETURN NULL;
                     END $$)");
        } else {
            for (std::string_view table : kWatchedTables) {
                for (const char *what : {"INSERT", "UPDATE", "DELETE"})
                    write("DROP TRIGGER ALTERA_" + std::string(table) + "_" + what);
            }
        }
        write("DROP TABLE CONTADOR_TABELA");
        write("DELETE FROM SCHEMA_VERSAO WHERE NRVERSAO = 3");
    }

    // Whether a write to the flight plans outdates the kept services.
    bool planWriteOutdatesServices(const char *situation)
    {
        services(*m_reader);
        const int before = m_serviceQueries;
        write(std::string("UPDATE PLANOVOO SET IDSITABASPV = '") + situation
              + "' WHERE CDFILIAL = 'GRU'");
        EXPECT_EQ(situations(*m_reader), std::vector<std::string>(7, situation));
        services(*m_reader);
        return m_serviceQueries != before;
    }
};

// Catches a stale reply on a database that cannot tell which table a write
// went to: a PostgreSQL database with only the one counter (schema version
// 2), a SQLite file without the per-table triggers, or one whose trigger was
// dropped while the server ran. Every write outdates every reply.
TEST_P(CoarseChangesTest, WithoutPerTableCountersEveryWriteOutdatesEverything)
{
    std::vector<std::string> notices;
    m_cache.setNotice([&](const std::string &line) { notices.push_back(line); });
    const std::vector<std::string> before = services(*m_reader);
    ASSERT_EQ(before.size(), 3u);
    if (GetParam() == Backend::PostgreSQL) {
        backToVersionTwo();
    } else {
        // Dropped after the reader first asked: the schema change is seen.
        write("DROP TRIGGER ALTERA_SERVPLANO_UPDATE");
    }
    write("UPDATE SERVPLANO SET IDSITSERSP = '7' WHERE NRVOO = '3054'");
    write("UPDATE PLANOVOO SET IDSITABASPV = '9' WHERE CDFILIAL = 'GRU'");
    EXPECT_EQ(services(*m_reader), std::vector<std::string>(3, "7"));
    EXPECT_EQ(situations(*m_reader), std::vector<std::string>(7, "9"));
    write("UPDATE SERVPLANO SET IDSITSERSP = '8' WHERE NRVOO = '3054'");
    write("UPDATE PLANOVOO SET IDSITABASPV = '1' WHERE CDFILIAL = 'GRU'");
    EXPECT_EQ(services(*m_reader), std::vector<std::string>(3, "8"));
    // Unchanged since: kept.
    EXPECT_EQ(services(*m_reader), std::vector<std::string>(3, "8"));
    EXPECT_EQ(m_serviceQueries, 3);
    EXPECT_EQ(m_cache.counts().uncached, 0u);
    ASSERT_EQ(notices.size(), 1u) << "one log line per database";
    EXPECT_NE(notices[0].find("every kept reply"), std::string::npos) << notices[0];
}

// Catches an upgrade that fails on a database already at version 2 with
// its data, or that leaves it unable to tell tables apart; the server that
// was reading it all along picks the counters up without a restart.
TEST_P(CoarseChangesTest, TheSchemaCommandBringsTheCountersToAVersionTwoDatabase)
{
    backToVersionTwo();
    EXPECT_TRUE(planWriteOutdatesServices("6"));
    Status upgraded = migrateSchema(m_db->connection());
    ASSERT_TRUE(upgraded.ok()) << upgraded.error().detail;
    EXPECT_EQ(*schemaVersion(m_db->connection()), latestSchemaVersion());
    EXPECT_EQ(situations(*m_reader).size(), 7u);
    EXPECT_FALSE(planWriteOutdatesServices("7"));
    write("UPDATE SERVPLANO SET IDSITSERSP = '5' WHERE NRVOO = '3054'");
    EXPECT_EQ(services(*m_reader), std::vector<std::string>(3, "5"));
}

INSTANTIATE_TEST_SUITE_P(Databases, CoarseChangesTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) { return backendName(info.param); });

pb::CallReply callProcess(int port, const pb::CallRequest &req)
{
    auto stub = pb::AppServer::NewStub(grpc::CreateChannel("127.0.0.1:" + std::to_string(port),
                                                           grpc::InsecureChannelCredentials()));
    grpc::ClientContext context;
    context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(10));
    pb::CallReply reply;
    const grpc::Status status = stub->Call(&context, req, &reply);
    EXPECT_TRUE(status.ok()) << status.error_message();
    EXPECT_TRUE(reply.has_packet()) << reply.failure().message();
    return reply;
}

using ServerProcessesTest = BackendTest;

// Catches a server that keeps answering from its cache after a write that
// another server's client (or any other program) committed to the same
// database.
TEST_P(ServerProcessesTest, TwoServersOnOneDatabaseBothSeeEveryWrite)
{
    loadFixture(m_db->connection());
    ServerProcess first;
    ServerProcess second;
    int ports[2] = {};
    int index = 0;
    for (ServerProcess *server : {&first, &second}) {
        ASSERT_TRUE(server->start(
            {"--port", "0", "--database", m_db->databaseTarget().target, "--threads", "2"}));
        ports[index] = server->waitListening();
        ASSERT_GT(ports[index], 0) << server->output();
        ++index;
    }
    EXPECT_NE(first.output().find("reply cache holds up to"), std::string::npos) << first.output();
    const auto situations = [&](int port) {
        return texts(callProcess(port, dayRequest()).packet(), "IDSITABASPV");
    };
    for (int round = 0; round < 3; ++round) {
        for (int port : ports)
            ASSERT_EQ(situations(port).size(), 7u);
    }
    for (const char *value : {"7", "8"}) {
        ASSERT_TRUE(m_db->connection()
                        .execute(std::string("UPDATE PLANOVOO SET IDSITABASPV = '") + value
                                 + "' WHERE CDFILIAL = 'GRU'")
                        .ok());
        // Several calls each: whichever worker (and connection) answers.
        for (int round = 0; round < 4; ++round) {
            for (int port : ports)
                EXPECT_EQ(situations(port), std::vector<std::string>(7, value));
        }
    }
    EXPECT_EQ(first.stop(SIGTERM), 0);
    EXPECT_EQ(second.stop(SIGTERM), 0);
}

INSTANTIATE_TEST_SUITE_P(Databases, ServerProcessesTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) { return backendName(info.param); });

using PlanoVooPlanTest = BackendTest;

// The plan of the day query, one line per step.
std::string dayPlan(Connection &db, std::size_t listSize)
{
    std::string sql = planoVooSql(db.dialect(), listSize);
    std::string explained;
    if (db.dialect() == Dialect::SQLite) {
        explained = "EXPLAIN QUERY PLAN " + sql;
    } else {
        explained = "EXPLAIN " + sql;
    }
    Result<Statement *> prepared = db.prepare(explained);
    EXPECT_TRUE(prepared.ok()) << prepared.error().detail;
    if (!prepared)
        return {};
    StatementRun run(**prepared);
    run->bindText(0, "GRU");
    run->bindText(1, planoVooDay(fixtureDay()));
    for (std::size_t i = 0; i < listSize; ++i)
        run->bindText(static_cast<int>(2 + i), "JJ");
    std::string plan;
    for (;;) {
        Result<bool> row = run->step();
        EXPECT_TRUE(row.ok()) << row.error().detail;
        if (!row || !*row)
            break;
        plan += std::string(run->text(run->columnCount() - 1)) + "\n";
    }
    return plan;
}

// Catches a flight-plan statement that sorts the day or scans the whole
// table: with thousands of plans a day the screen's every tick pays it.
TEST_P(PlanoVooPlanTest, TheDayComesInOrderFromTheIndex)
{
    Connection &db = m_db->connection();
    ASSERT_TRUE(demo::writeServerData(db, {fixtureDay() - 3 * kMsecsPerDay, 7, 25400}).ok());
    ASSERT_TRUE(demo::addFlightPlans(db, "GRU", fixtureDay(), 2000, 0, 1).ok());
    // As autovacuum leaves a table: statistics and the visibility map.
    ASSERT_TRUE(db.execute(db.dialect() == Dialect::SQLite ? "ANALYZE" : "VACUUM ANALYZE").ok());
    for (std::size_t listSize : {0, 3}) {
        const std::string plan = dayPlan(db, listSize);
        SCOPED_TRACE(plan);
        if (db.dialect() == Dialect::SQLite) {
            EXPECT_NE(plan.find("SEARCH P USING COVERING INDEX IX_PLANOVOO_DIA"),
                      std::string::npos);
            EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos);
            EXPECT_EQ(plan.find("SCAN "), std::string::npos);
        } else {
            EXPECT_NE(plan.find("ix_planovoo_dia"), std::string::npos);
            EXPECT_EQ(plan.find("Sort"), std::string::npos);
            EXPECT_EQ(plan.find("Seq Scan on planovoo"), std::string::npos);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, PlanoVooPlanTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) { return backendName(info.param); });

} // namespace
} // namespace appserver::testing
