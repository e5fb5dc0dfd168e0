#include "proto/appserver.grpc.pb.h"
#include "server/cache/reply_cache.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/tests/call_helpers.h"
#include "server/tests/fixture.h"
#include "server/transport/grpc_server.h"
#include "testing/process/server_process.h"

#include <gtest/gtest.h>

#include <grpcpp/generic/generic_stub.h>
#include <grpcpp/grpcpp.h>

#include <fstream>
#include <future>
#include <poll.h>
#include <regex>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace appserver::testing {
namespace {

using Stub = ate::appserver::v1::AppServer::Stub;

std::shared_ptr<grpc::Channel> channelTo(int port)
{
    return grpc::CreateChannel("127.0.0.1:" + std::to_string(port),
                               grpc::InsecureChannelCredentials());
}

grpc::Status invoke(Stub &stub, const pb::CallRequest &req, pb::CallReply *reply,
                    const std::string &token = {})
{
    grpc::ClientContext context;
    context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(5));
    if (!token.empty())
        context.AddMetadata("authorization", "Bearer " + token);
    return stub.Call(&context, req, reply);
}

class GrpcServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string whyNot;
        m_db = TestDatabase::create(Backend::SQLite, &whyNot);
        ASSERT_TRUE(m_db) << whyNot;
        loadFixture(m_db->connection());
        m_pool = std::make_unique<ConnectionPool>(m_db->databaseTarget());
    }

    std::unique_ptr<GrpcServer> start(CallHandler &handler)
    {
        ServerOptions options;
        options.port = 0;
        options.threads = 2;
        Result<std::unique_ptr<GrpcServer>> server = GrpcServer::start(options, handler, m_log);
        EXPECT_TRUE(server.ok()) << server.error().message;
        return server ? std::move(*server) : nullptr;
    }

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ConnectionPool> m_pool;
    CallLog m_log{stderr};
};

// Catches a server that does not answer over gRPC on loopback, loses the
// packet on the way, stops serving after a refused call, or reports no
// health.
TEST_F(GrpcServerTest, ServesCallsOnLoopback)
{
    ReplyCache cache;
    CallHandler handler(*m_pool, m_log);
    handler.addModule(rdmPosFDiPlav(cache));
    std::unique_ptr<GrpcServer> server = start(handler);
    ASSERT_TRUE(server);
    EXPECT_GT(server->port(), 0);
    auto channel = channelTo(server->port());
    auto stub = ate::appserver::v1::AppServer::NewStub(channel);

    pb::CallReply reply;
    ASSERT_TRUE(invoke(*stub,
                       request("GetPlanoVoo",
                               {textArg(""), textArg("T"), dateArg(fixtureDay()), textArg("GRU")}),
                       &reply)
                    .ok());
    ASSERT_TRUE(reply.has_packet());
    EXPECT_EQ(texts(reply.packet(), "NRVOO").size(), 7u);

    pb::CallReply refused;
    ASSERT_TRUE(invoke(*stub, request("GetPrevPax", {}), &refused).ok());
    EXPECT_EQ(refused.failure().message(), "O método GetPrevPax espera 5 argumentos e recebeu 0.");

    pb::CallReply again;
    ASSERT_TRUE(invoke(*stub, request("GetCia", {textArg("GRU")}), &again).ok());
    EXPECT_EQ(again.packet().row_count(), 3u);
    EXPECT_EQ(healthCheck(channel), "SERVING");

    server->shutdown();
    pb::CallReply afterShutdown;
    EXPECT_FALSE(invoke(*stub, request("GetCia", {textArg("GRU")}), &afterShutdown).ok());
}

// Catches a second server that quietly shares a port already in use.
TEST_F(GrpcServerTest, APortInUseIsAnError)
{
    CallHandler handler(*m_pool, m_log);
    std::unique_ptr<GrpcServer> first = start(handler);
    ASSERT_TRUE(first);
    ServerOptions options;
    options.port = first->port();
    Result<std::unique_ptr<GrpcServer>> second = GrpcServer::start(options, handler, m_log);
    ASSERT_FALSE(second.ok());
    EXPECT_EQ(second.error().message,
              "Não foi possível escutar em 127.0.0.1:" + std::to_string(first->port()) + ".");
}

// Catches calls served without the configured token, or refused without a
// message the user can read.
TEST_F(GrpcServerTest, TokenIsRequiredWhenConfigured)
{
    ReplyCache cache;
    CallHandler handler(*m_pool, m_log, "s3cret");
    handler.addModule(rdmPosFDiPlav(cache));
    std::unique_ptr<GrpcServer> server = start(handler);
    ASSERT_TRUE(server);
    auto stub = ate::appserver::v1::AppServer::NewStub(channelTo(server->port()));
    const pb::CallRequest req = request("GetCia", {textArg("GRU")});

    for (const std::string token : {"", "wrong", "s3cre"}) {
        pb::CallReply reply;
        const grpc::Status status = invoke(*stub, req, &reply, token);
        EXPECT_EQ(status.error_code(), grpc::StatusCode::UNAUTHENTICATED) << token;
        EXPECT_EQ(status.error_message(), CallHandler::kUnauthenticatedMessage);
    }
    pb::CallReply reply;
    ASSERT_TRUE(invoke(*stub, req, &reply, "s3cret").ok());
    EXPECT_EQ(reply.packet().row_count(), 3u);
}

// Catches wrong tokens counted per connection ("fd:N") instead of per
// machine, which let a guesser escape the slowdown by reconnecting.
TEST_F(GrpcServerTest, ThePeerIsTheClientsAddress)
{
    std::FILE *logFile = std::tmpfile();
    CallLog log(logFile, CallLogLevel::All);
    ReplyCache cache;
    CallHandler handler(*m_pool, log, "s3cret");
    handler.addModule(rdmPosFDiPlav(cache));
    ServerOptions options;
    options.port = 0;
    Result<std::unique_ptr<GrpcServer>> server = GrpcServer::start(options, handler, log);
    ASSERT_TRUE(server.ok()) << server.error().message;
    auto stub = ate::appserver::v1::AppServer::NewStub(channelTo((*server)->port()));
    pb::CallReply reply;
    EXPECT_EQ(invoke(*stub, request("GetCia", {textArg("GRU")}), &reply, "wrong").error_code(),
              grpc::StatusCode::UNAUTHENTICATED);
    (*server)->shutdown();
    const std::string text = readAndClose(logFile);
    EXPECT_NE(text.find("peer=ipv4:127.0.0.1:"), std::string::npos) << text;
}

// Catches a TLS set-up that does not serve a client trusting the
// certificate.
TEST_F(GrpcServerTest, ServesOverTls)
{
    const std::string dir = ::testing::TempDir();
    const std::string cert = dir + "/ate-cert.pem", key = dir + "/ate-key.pem";
    const std::string command =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost "
        "-addext subjectAltName=IP:127.0.0.1,DNS:localhost -keyout "
        + key + " -out " + cert + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "openssl cannot make a test certificate";
    ReplyCache cache;
    CallHandler handler(*m_pool, m_log);
    handler.addModule(rdmPosFDiPlav(cache));
    ServerOptions options;
    options.port = 0;
    options.tlsCertFile = cert;
    options.tlsKeyFile = key;
    Result<std::unique_ptr<GrpcServer>> server = GrpcServer::start(options, handler, m_log);
    ASSERT_TRUE(server.ok()) << server.error().message;

    std::ifstream in(cert);
    const std::string pem((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    grpc::SslCredentialsOptions ssl;
    ssl.pem_root_certs = pem;
    auto stub = ate::appserver::v1::AppServer::NewStub(grpc::CreateChannel(
        "127.0.0.1:" + std::to_string((*server)->port()), grpc::SslCredentials(ssl)));
    pb::CallReply reply;
    ASSERT_TRUE(invoke(*stub, request("GetCia", {textArg("GRU")}), &reply).ok());
    EXPECT_EQ(reply.packet().row_count(), 3u);
    // A plain-text client gets no answer from it.
    auto plain = ate::appserver::v1::AppServer::NewStub(channelTo((*server)->port()));
    EXPECT_FALSE(invoke(*plain, request("GetCia", {textArg("GRU")}), &reply).ok());
}

// Catches an executable that ignores its flags, does not log its port, or
// does not stop cleanly on SIGTERM.
TEST(ServerExecutableTest, StartsServesAndStopsOnSigterm)
{
    std::string whyNot;
    std::unique_ptr<TestDatabase> db = TestDatabase::create(Backend::SQLite, &whyNot);
    ASSERT_TRUE(db) << whyNot;
    loadFixture(db->connection());

    ServerProcess server;
    ASSERT_TRUE(server.start({"--port", "0", "--database", db->databaseTarget().target, "--threads",
                              "2", "--token", "t0k", "--log-calls", "all"}));
    const int port = server.waitListening();
    ASSERT_GT(port, 0) << server.output();
    EXPECT_TRUE(server.waitFor(std::regex("listening on 127\\.0\\.0\\.1:" + std::to_string(port))))
        << server.output();

    auto stub = ate::appserver::v1::AppServer::NewStub(channelTo(port));
    pb::CallReply reply;
    EXPECT_TRUE(
        invoke(*stub, request("GetCompanhia", {dateArg(fixtureDay())}), &reply, "t0k").ok());
    EXPECT_EQ(reply.packet().row_count(), 4u);

    stub.reset();
    EXPECT_EQ(server.stop(SIGTERM), 0) << server.output();
    EXPECT_TRUE(server.waitFor(std::regex("server stopped"))) << server.output();
    EXPECT_NE(server.output().find("GetCompanhia"), std::string::npos) << server.output();
    // The token is a secret: never in the log.
    EXPECT_EQ(server.output().find("t0k"), std::string::npos) << server.output();
}

} // namespace
} // namespace appserver::testing
