#include "server/cache/reply_cache.h"
#include "server/db/schema.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/tests/call_helpers.h"
#include "server/tests/fixture.h"
#include "server/tests/worker_thread.h"
#include "server/transport/call_handler.h"
#include "testing/pg/pg_cluster.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace appserver::testing {
namespace {

using namespace std::chrono_literals;

// The server's workers against a PostgreSQL cluster that restarts, stops
// and hangs under them.
class PgFaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("ATE_TEST_PG"))
            GTEST_SKIP() << "PostgreSQL cases are off (ATE_TEST_PG is not set)";
        const std::string whyNot = m_cluster.create();
        ASSERT_TRUE(whyNot.empty()) << whyNot;
        auto writer =
            openConnection(DatabaseTarget::parse(m_cluster.conninfo(), Access::ReadWrite));
        ASSERT_TRUE(writer.ok()) << writer.error().detail;
        ASSERT_TRUE(migrateSchema(**writer).ok());
        loadFixture(**writer);
        m_pool = std::make_unique<ConnectionPool>(DatabaseTarget::parse(m_cluster.conninfo()), 2);
        m_handler = std::make_unique<CallHandler>(*m_pool, m_log);
        m_handler->addModule(rdmPosFDiPlav(m_cache));
        ASSERT_TRUE(m_handler->openConnections().ok());
    }

    pb::CallReply callOn(WorkerThread &worker, const std::string &method = "GetCia",
                         std::chrono::milliseconds deadline = 5000ms)
    {
        pb::CallReply reply;
        worker.run([&] {
            m_handler->handle(request(method, {textArg("GRU")}), &reply, {}, {},
                              std::chrono::system_clock::now() + deadline);
        });
        return reply;
    }

    // One call on each worker; the failures among them.
    int failedCalls()
    {
        int failures = 0;
        for (WorkerThread &worker : m_workers) {
            const pb::CallReply reply = callOn(worker);
            failures += reply.has_packet() && reply.packet().row_count() == 3 ? 0 : 1;
        }
        return failures;
    }

    ThrowawayCluster m_cluster;
    CallLog m_log{stderr};
    ReplyCache m_cache;
    std::unique_ptr<ConnectionPool> m_pool;
    std::unique_ptr<CallHandler> m_handler;
    WorkerThread m_workers[2];
};

// Catches each worker failing its first call after the database restarted,
// on the connection the restart broke.
TEST_F(PgFaultTest, NoCallFailsAfterADatabaseRestart)
{
    EXPECT_EQ(failedCalls(), 0);
    ASSERT_TRUE(m_cluster.restart());
    EXPECT_EQ(failedCalls(), 0);
    EXPECT_EQ(failedCalls(), 0);
}

// Catches a stopped database reported as anything but a clear failure, and
// workers that do not come back once it is up again.
TEST_F(PgFaultTest, ADatabaseStoppedFailsCallsClearlyUntilItIsBack)
{
    ASSERT_TRUE(m_cluster.stop());
    for (WorkerThread &worker : m_workers) {
        const pb::CallReply reply = callOn(worker);
        ASSERT_TRUE(reply.has_failure());
        EXPECT_EQ(reply.failure().message(), databaseError({}).message);
    }
    ASSERT_TRUE(m_cluster.start());
    EXPECT_EQ(failedCalls(), 0);
}

// Catches workers blocked for ever inside libpq by a database that hangs,
// and calls that need no database waiting for it.
TEST_F(PgFaultTest, AHungDatabaseEndsCallsAtTheirDeadline)
{
    ASSERT_TRUE(m_cluster.pause());
    const pb::CallReply hung = callOn(m_workers[0], "GetCia", 1500ms);
    ASSERT_TRUE(hung.has_failure());
    EXPECT_EQ(hung.failure().message(), deadlineError({}).message);
    // Refused before any database work.
    const pb::CallReply unknown = callOn(m_workers[1], "GetNada");
    ASSERT_TRUE(unknown.has_failure());
    EXPECT_NE(unknown.failure().message().find("não existe"), std::string::npos);
    const pb::CallReply alsoHung = callOn(m_workers[1], "GetCia", 1500ms);
    EXPECT_TRUE(alsoHung.has_failure());

    ASSERT_TRUE(m_cluster.resume());
    EXPECT_EQ(failedCalls(), 0);
}

} // namespace
} // namespace appserver::testing
