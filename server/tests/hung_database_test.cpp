#include "proto/appserver.grpc.pb.h"
#include "server/cache/reply_cache.h"
#include "server/db/schema.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/tests/call_helpers.h"
#include "server/tests/fixture.h"
#include "server/transport/call_handler.h"
#include "server/transport/grpc_server.h"
#include "testing/pg/pg_cluster.h"
#include "testing/process/server_process.h"

#include <gtest/gtest.h>

#include <grpcpp/grpcpp.h>

#include <signal.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

namespace appserver::testing {
namespace {

using namespace std::chrono_literals;
using Stub = ate::appserver::v1::AppServer::Stub;

// Calls left running: their replies are counted as they come.
class CallsInFlight
{
public:
    void start(Stub &stub, const pb::CallRequest &req, std::chrono::milliseconds deadline)
    {
        auto call = std::make_unique<Call>();
        call->context.set_deadline(std::chrono::system_clock::now() + deadline);
        call->context.AddMetadata("authorization", "Bearer s3cret");
        Call *raw = call.get();
        {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(call));
        }
        stub.async()->Call(&raw->context, &req, &raw->reply, [this, raw](grpc::Status status) {
            std::lock_guard lock(m_mutex);
            raw->status = std::move(status);
            ++m_done;
            m_changed.notify_all();
        });
    }

    int done()
    {
        std::lock_guard lock(m_mutex);
        return m_done;
    }

    // Waits for every reply; the failure messages of those the server
    // answered with one, and "status N" for those gRPC ended.
    std::vector<std::string> waitForFailures()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_done == static_cast<int>(m_calls.size()); });
        std::vector<std::string> failures;
        for (const auto &call : m_calls) {
            failures.push_back(call->status.ok()
                                   ? call->reply.failure().message()
                                   : "status " + std::to_string(call->status.error_code()));
        }
        return failures;
    }

    // Waits for every reply; how many were a packet of `rows` rows.
    int waitAll(std::uint32_t rows)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_done == static_cast<int>(m_calls.size()); });
        int good = 0;
        for (const auto &call : m_calls)
            good += call->status.ok() && call->reply.packet().row_count() == rows ? 1 : 0;
        return good;
    }

private:
    struct Call
    {
        grpc::ClientContext context;
        pb::CallReply reply;
        grpc::Status status;
    };
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<Call>> m_calls;
    int m_done = 0;
};

// A cluster of the test's own with the schema and the fixture's rows.
void createWithFixture(ThrowawayCluster &cluster)
{
    const std::string whyNot = cluster.create();
    ASSERT_TRUE(whyNot.empty()) << whyNot;
    auto writer = openConnection(DatabaseTarget::parse(cluster.conninfo(), Access::ReadWrite));
    ASSERT_TRUE(writer.ok()) << writer.error().detail;
    ASSERT_TRUE(migrateSchema(**writer).ok());
    loadFixture(**writer);
}

grpc::Status callNow(Stub &stub, const pb::CallRequest &req, pb::CallReply *reply,
                     const std::string &token)
{
    grpc::ClientContext context;
    context.set_deadline(std::chrono::system_clock::now() + 10s);
    context.AddMetadata("authorization", "Bearer " + token);
    return stub.Call(&context, req, reply);
}

// Catches calls that need no database (health check, a wrong token, an
// unknown method, refused arguments) queuing behind workers that a hung
// PostgreSQL holds, until their deadline.
TEST(HungDatabaseTest, CallsThatNeedNoDatabaseAreAnsweredWhileItHangs)
{
    if (!std::getenv("ATE_TEST_PG"))
        GTEST_SKIP() << "PostgreSQL cases are off (ATE_TEST_PG is not set)";
    ThrowawayCluster cluster;
    ASSERT_NO_FATAL_FAILURE(createWithFixture(cluster));
    ConnectionPool pool(DatabaseTarget::parse(cluster.conninfo()));
    CallLog log(stderr, CallLogLevel::Errors);
    ReplyCache cache;
    CallHandler handler(pool, log, "s3cret");
    handler.addModule(rdmPosFDiPlav(cache));
    ServerOptions options;
    options.port = 0;
    options.threads = 2;
    Result<std::unique_ptr<GrpcServer>> server = GrpcServer::start(options, handler, log);
    ASSERT_TRUE(server.ok()) << server.error().message;
    auto channel = grpc::CreateChannel("127.0.0.1:" + std::to_string((*server)->port()),
                                       grpc::InsecureChannelCredentials());
    auto stub = ate::appserver::v1::AppServer::NewStub(channel);

    ASSERT_TRUE(cluster.pause());
    // More database calls than the server has connections or threads; they
    // last until the database is resumed.
    CallsInFlight hung;
    const pb::CallRequest cia = request("GetCia", {textArg("GRU")});
    for (int i = 0; i < 12; ++i)
        hung.start(*stub, cia, 30s);

    EXPECT_EQ(healthCheck(channel), "SERVING");
    pb::CallReply reply;
    EXPECT_EQ(callNow(*stub, cia, &reply, "wrong").error_code(), grpc::StatusCode::UNAUTHENTICATED);
    EXPECT_TRUE(callNow(*stub, request("GetNada", {}), &reply, "s3cret").ok());
    EXPECT_NE(reply.failure().message().find("não existe"), std::string::npos);
    EXPECT_TRUE(callNow(*stub, request("GetCia", {}), &reply, "s3cret").ok());
    EXPECT_NE(reply.failure().message().find("O método GetCia espera 1"), std::string::npos);
    // Answered while the database still hangs, not after it.
    EXPECT_EQ(hung.done(), 0);

    // The calls still running must end before what they use is destroyed.
    EXPECT_TRUE(cluster.resume());
    EXPECT_EQ(hung.waitAll(3), 12);
    (*server)->shutdown();
}

// Catches a queued call that gets a connection slot just before its
// deadline and then connects to the hung database for longer than it has
// left: the client saw "tempo de resposta esgotado" instead of the
// server's answer.
TEST(HungDatabaseTest, NoCallWaitsForTheDatabasePastItsDeadline)
{
    if (!std::getenv("ATE_TEST_PG"))
        GTEST_SKIP() << "PostgreSQL cases are off (ATE_TEST_PG is not set)";
    ThrowawayCluster cluster;
    ASSERT_NO_FATAL_FAILURE(createWithFixture(cluster));
    ConnectionPool pool(DatabaseTarget::parse(cluster.conninfo()), 2);
    CallLog log(stderr, CallLogLevel::Errors);
    ReplyCache cache;
    CallHandler handler(pool, log, "s3cret");
    handler.addModule(rdmPosFDiPlav(cache));
    ServerOptions options;
    options.port = 0;
    Result<std::unique_ptr<GrpcServer>> server = GrpcServer::start(options, handler, log);
    ASSERT_TRUE(server.ok()) << server.error().message;
    auto stub = ate::appserver::v1::AppServer::NewStub(grpc::CreateChannel(
        "127.0.0.1:" + std::to_string((*server)->port()), grpc::InsecureChannelCredentials()));

    ASSERT_TRUE(cluster.pause());
    // Deadlines apart: each queued call gets a slot that a hung call gave
    // up, with a connection to open anew and some time left.
    CallsInFlight calls;
    for (int i = 0; i < 8; ++i)
        calls.start(*stub, request("GetCia", {textArg("GRU")}), 1500ms + i * 400ms);
    const std::vector<std::string> failures = calls.waitForFailures();
    EXPECT_TRUE(cluster.resume());
    for (const std::string &failure : failures)
        EXPECT_NE(failure.find("não respondeu a tempo"), std::string::npos) << failure;
    (*server)->shutdown();
}

// Catches a SIGTERM that waits for a call stuck on the database (or
// building a very large reply) for as long as that call takes, instead of
// ending the process within the 2 s the README promises.
TEST(HungDatabaseTest, SigtermEndsTheServerWithoutWaitingForAStuckCall)
{
    if (!std::getenv("ATE_TEST_PG"))
        GTEST_SKIP() << "PostgreSQL cases are off (ATE_TEST_PG is not set)";
    ThrowawayCluster cluster;
    ASSERT_NO_FATAL_FAILURE(createWithFixture(cluster));
    // A connect timeout longer than the calls: whichever call the hung
    // database holds, in its query or in connecting anew, holds it until
    // its own deadline.
    ServerProcess server;
    ASSERT_TRUE(
        server.start({"--port", "0", "--database", cluster.conninfo() + " connect_timeout=60",
                      "--threads", "1", "--token", "s3cret"}));
    const int port = server.waitListening();
    ASSERT_GT(port, 0) << server.output();
    auto stub = ate::appserver::v1::AppServer::NewStub(grpc::CreateChannel(
        "127.0.0.1:" + std::to_string(port), grpc::InsecureChannelCredentials()));

    ASSERT_TRUE(cluster.pause());
    // A call the hung database holds for half a minute, then one behind it:
    // its answer shows that the server has the first.
    CallsInFlight stuck;
    stuck.start(*stub, request("GetCia", {textArg("GRU")}), 60s);
    CallsInFlight behind;
    behind.start(*stub, request("GetCia", {textArg("POA")}), 1s);
    EXPECT_EQ(behind.waitForFailures().size(), 1u);

    EXPECT_EQ(server.stop(SIGTERM), 0);
    EXPECT_NE(server.output().find("server stopped with 1 call(s) still running"),
              std::string::npos)
        << server.output();
    EXPECT_TRUE(cluster.resume());
    EXPECT_EQ(stuck.waitForFailures().size(), 1u);
}

} // namespace
} // namespace appserver::testing
