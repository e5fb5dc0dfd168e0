#include "proto/appserver.grpc.pb.h"
#include "server/cache/reply_cache.h"
#include "server/feed/change_tail.h"
#include "server/module/change_scopes.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/tests/call_helpers.h"
#include "server/tests/fixture.h"
#include "server/transport/grpc_server.h"

#include <gtest/gtest.h>

#include <grpcpp/grpcpp.h>

#include <algorithm>
#include <cstdio>

namespace appserver::testing {
namespace {

using Stub = ate::appserver::v1::AppServer::Stub;

bool holds(const pb::ChangeNotice &notice, const std::string &scope)
{
    return std::find(notice.scopes().begin(), notice.scopes().end(), scope)
           != notice.scopes().end();
}

// A host's change stream, read notice by notice.
class Watcher
{
public:
    Watcher(Stub &stub, const std::string &instance, std::uint64_t generation)
    {
        m_context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(60));
        pb::WatchRequest request;
        request.set_instance(instance);
        request.set_generation(generation);
        m_reader = stub.WatchChanges(&m_context, request);
    }
    ~Watcher()
    {
        m_context.TryCancel();
        pb::ChangeNotice rest;
        while (m_reader->Read(&rest)) {
        }
        (void)m_reader->Finish();
    }

    // The next notice; fails the test when the stream ends first.
    pb::ChangeNotice next()
    {
        pb::ChangeNotice notice;
        EXPECT_TRUE(m_reader->Read(&notice)) << "the stream ended";
        return notice;
    }

    // The first notice past `generation` (heartbeats skipped), and how long
    // it took to come.
    pb::ChangeNotice after(std::uint64_t generation, std::chrono::milliseconds *took = nullptr)
    {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 30; ++i) {
            pb::ChangeNotice notice = next();
            if (notice.generation() > generation || notice.everything() || !notice.in_step()) {
                if (took)
                    *took = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start);
                return notice;
            }
        }
        ADD_FAILURE() << "no notice past generation " << generation;
        return {};
    }

private:
    grpc::ClientContext m_context;
    std::unique_ptr<grpc::ClientReader<pb::ChangeNotice>> m_reader;
};

class ChangeStreamTest : public BackendTest
{
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (!m_db)
            return;
        loadFixture(m_db->connection());
        m_pool = std::make_unique<ConnectionPool>(m_db->databaseTarget(), 2);
        m_handler = std::make_unique<CallHandler>(*m_pool, m_log);
        m_handler->addModule(rdmPosFDiPlav(m_cache));
        ChangeTail::Options options;
        options.database = m_db->databaseTarget();
        options.scopesOf = scopesOfChange;
        m_tail = std::make_unique<ChangeTail>(
            options, [](const std::string &line) { std::fprintf(stderr, "%s\n", line.c_str()); });
        m_handler->setChangeTail(m_tail.get());
        ServerOptions server;
        server.port = 0;
        server.threads = 2;
        Result<std::unique_ptr<GrpcServer>> started = GrpcServer::start(server, *m_handler, m_log);
        ASSERT_TRUE(started.ok()) << started.error().detail;
        m_server = std::move(*started);
        m_tail->start();
        ASSERT_TRUE(m_tail->waitFor(0, std::chrono::seconds(20)));
        m_stub = ate::appserver::v1::AppServer::NewStub(grpc::CreateChannel(
            "127.0.0.1:" + std::to_string(m_server->port()), grpc::InsecureChannelCredentials()));
    }

    void TearDown() override
    {
        if (m_server)
            m_server->shutdown();
        if (m_tail)
            m_tail->stop();
    }

    pb::CallReply call(const std::string &method, const std::vector<pb::Argument> &args)
    {
        grpc::ClientContext context;
        context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(10));
        pb::CallReply reply;
        EXPECT_TRUE(m_stub->Call(&context, request(method, args), &reply).ok());
        EXPECT_TRUE(reply.has_packet()) << reply.failure().message();
        return reply;
    }

    std::vector<pb::Argument> detailedFlight()
    {
        return {textArg("JJ"), textArg("GRU"), textArg("3054"), textArg("01"),
                dateArg(detailedFlightAt())};
    }

    // One write by another program, committed.
    void write(const std::string &sql, std::optional<std::int64_t> when = std::nullopt)
    {
        Connection &db = m_db->connection();
        Result<Statement *> statement = db.prepare(sql);
        ASSERT_TRUE(statement.ok()) << statement.error().detail;
        StatementRun run(**statement);
        if (when)
            run->bindDateTime(0, *when);
        Result<bool> done = run->step();
        ASSERT_TRUE(done.ok()) << done.error().detail;
    }

    CallLog m_log{stderr};
    ReplyCache m_cache;
    std::unique_ptr<ConnectionPool> m_pool;
    std::unique_ptr<CallHandler> m_handler;
    std::unique_ptr<ChangeTail> m_tail;
    std::unique_ptr<GrpcServer> m_server;
    std::unique_ptr<Stub> m_stub;
};

// Catches a feed that outdates too little (a host would keep a stale
// reply) or too much (every write would empty every host's cache): a write
// to one flight's services names that flight's services and nothing the
// forecast or the day's list read; a write to the day's plans names the
// day; a write to a reference table outdates everything. And a host that
// lost its stream learns exactly what it missed from the same server, and
// everything from another.
TEST_P(ChangeStreamTest, AHostLearnsWhatChangedAndWhatItMissed)
{
    Watcher watcher(*m_stub, {}, 0);
    const pb::ChangeNotice first = watcher.next();
    EXPECT_TRUE(first.in_step());
    EXPECT_TRUE(first.everything()) << "a host new to this server keeps nothing";
    ASSERT_FALSE(first.instance().empty());

    const pb::CallReply services = call("GetServPlano", detailedFlight());
    const pb::CallReply forecast = call("GetPrevPax", detailedFlight());
    const pb::CallReply day =
        call("GetPlanoVoo", {textArg(""), textArg("T"), dateArg(fixtureDay()), textArg("GRU")});
    const pb::CallReply airlines = call("GetCompanhia", {dateArg(fixtureDay())});
    for (const pb::CallReply *reply : {&services, &forecast, &day, &airlines}) {
        EXPECT_EQ(reply->instance(), first.instance());
        EXPECT_EQ(reply->generation(), first.generation());
        ASSERT_EQ(reply->scopes_size(), 1);
    }

    std::chrono::milliseconds took{};
    write("UPDATE SERVPLANO SET QTSESOLICSP = QTSESOLICSP + 1 WHERE CDCIA = 'JJ' AND "
          "CDFILIAL = 'GRU' AND NRVOO = '3054' AND CDTRECHO = '01' AND DTHRPLAVOOPV = ?",
          detailedFlightAt());
    const pb::ChangeNotice serviceWrite = watcher.after(first.generation(), &took);
    std::fprintf(stderr, "a commit reached the stream after %lld ms\n",
                 static_cast<long long>(took.count()));
    EXPECT_TRUE(serviceWrite.in_step());
    EXPECT_FALSE(serviceWrite.everything());
    EXPECT_TRUE(holds(serviceWrite, services.scopes(0)));
    for (const pb::CallReply *kept : {&forecast, &day, &airlines})
        EXPECT_FALSE(holds(serviceWrite, kept->scopes(0))) << kept->scopes(0);

    write("UPDATE PLANOVOO SET IDSITABASPV = 'F' WHERE CDFILIAL = 'GRU' AND "
          "DTHRPLAVOOPV = ?",
          detailedFlightAt());
    const pb::ChangeNotice planWrite = watcher.after(serviceWrite.generation());
    EXPECT_FALSE(planWrite.everything());
    EXPECT_TRUE(holds(planWrite, day.scopes(0)));
    EXPECT_TRUE(holds(planWrite, airlines.scopes(0)));
    EXPECT_FALSE(holds(planWrite, services.scopes(0)));

    write("UPDATE COMPANHIA SET NMCIA = NMCIA WHERE CDCIA = 'JJ'");
    const pb::ChangeNotice reference = watcher.after(planWrite.generation());
    EXPECT_TRUE(reference.everything());

    // Missed while away: only the forecast.
    write("UPDATE PREVISAOPAX SET QTPAXSBY = 3 WHERE CDCIA = 'JJ' AND CDFILIAL = 'GRU' AND "
          "NRVOO = '3054' AND CDTRECHO = '01' AND DTHRPLAVOOPV = ?",
          detailedFlightAt());
    ASSERT_TRUE(m_tail->waitFor(reference.generation() + 1, std::chrono::seconds(10)));
    Watcher back(*m_stub, reference.instance(), reference.generation());
    const pb::ChangeNotice missed = back.next();
    EXPECT_TRUE(missed.in_step());
    EXPECT_FALSE(missed.everything());
    EXPECT_GT(missed.generation(), reference.generation());
    EXPECT_TRUE(holds(missed, forecast.scopes(0)));
    EXPECT_FALSE(holds(missed, services.scopes(0)));

    Watcher stranger(*m_stub, "another server", missed.generation());
    EXPECT_TRUE(stranger.next().everything());
}

// Catches a server that goes quiet towards an idle host: without a
// heartbeat the host cannot tell a quiet day from a stalled link, and
// stops serving what it holds after a few seconds. A stream opened after
// the first one ended is kept alive the same way.
TEST_P(ChangeStreamTest, AnIdleStreamHearsAHeartbeat)
{
    for (int host = 0; host < 2; ++host) {
        Watcher watcher(*m_stub, {}, 0);
        const pb::ChangeNotice first = watcher.next();
        const pb::ChangeNotice beat = watcher.next();
        EXPECT_TRUE(beat.in_step());
        EXPECT_FALSE(beat.everything());
        EXPECT_TRUE(beat.scopes().empty()) << "nothing was written";
        EXPECT_EQ(beat.generation(), first.generation());
    }
}

// Catches a server without the change feed whose hosts would wait on a
// stream that never starts, or hold replies it cannot vouch for: the
// stream is refused at once and the replies carry no generation.
TEST(ChangeStreamWithoutFeedTest, TheStreamIsRefusedAndRepliesCarryNoGeneration)
{
    std::string whyNot;
    std::unique_ptr<TestDatabase> db = TestDatabase::create(Backend::SQLite, &whyNot);
    ASSERT_TRUE(db) << whyNot;
    loadFixture(db->connection());
    ConnectionPool pool(db->databaseTarget(), 2);
    CallLog log(stderr);
    ReplyCache cache;
    CallHandler handler(pool, log);
    handler.addModule(rdmPosFDiPlav(cache));
    ServerOptions options;
    options.port = 0;
    Result<std::unique_ptr<GrpcServer>> server = GrpcServer::start(options, handler, log);
    ASSERT_TRUE(server.ok());
    auto stub = ate::appserver::v1::AppServer::NewStub(grpc::CreateChannel(
        "127.0.0.1:" + std::to_string((*server)->port()), grpc::InsecureChannelCredentials()));

    grpc::ClientContext context;
    context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(10));
    auto reader = stub->WatchChanges(&context, pb::WatchRequest());
    pb::ChangeNotice notice;
    EXPECT_FALSE(reader->Read(&notice));
    EXPECT_EQ(reader->Finish().error_code(), grpc::StatusCode::UNIMPLEMENTED);

    grpc::ClientContext callContext;
    callContext.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(10));
    pb::CallReply reply;
    ASSERT_TRUE(stub->Call(&callContext, request("GetCia", {textArg("GRU")}), &reply).ok());
    EXPECT_TRUE(reply.has_packet());
    EXPECT_EQ(reply.generation(), 0u);
    EXPECT_TRUE(reply.instance().empty());
    (*server)->shutdown();
}

INSTANTIATE_TEST_SUITE_P(Databases, ChangeStreamTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) { return backendName(info.param); });

} // namespace
} // namespace appserver::testing
