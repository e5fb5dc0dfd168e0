#include "proto/appserver.grpc.pb.h"
#include "server/cache/reply_cache.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/tests/call_helpers.h"
#include "server/tests/fixture.h"
#include "server/transport/call_handler.h"
#include "server/transport/grpc_server.h"

#include <gtest/gtest.h>

#include <grpcpp/grpcpp.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace appserver::testing {
namespace {

namespace fs = std::filesystem;

CallRecord record(CallRecord::Outcome outcome)
{
    CallRecord r;
    r.module = "Ate25400.rdmPosFDiPlav";
    r.method = "GetPlanoVoo";
    r.outcome = outcome;
    r.message = outcome == CallRecord::Outcome::Ok ? "" : "Data inválida.";
    return r;
}

// Catches a call log that grows without bound in its file, or writes the
// lines its level leaves out.
TEST(CallLogTest, LevelsAndABoundedFile)
{
    const fs::path folder = fs::temp_directory_path() / ("ate-log-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path path = folder / "server.log";
    {
        CallLog log(stderr, CallLogLevel::All);
        ASSERT_EQ(log.openFile(path.string(), 4096), "");
        for (int i = 0; i < 500; ++i)
            log.call(record(CallRecord::Outcome::Ok));
        log.info("last line");
    }
    EXPECT_LE(fs::file_size(path), 4096u);
    EXPECT_LE(fs::file_size(path.string() + ".1"), 4096u);
    EXPECT_NE(readAll(path).find("last line"), std::string::npos);
    fs::remove_all(folder);
    fs::create_directories(folder);

    {
        CallLog log(stderr, CallLogLevel::Errors);
        ASSERT_EQ(log.openFile(path.string(), 1 << 20), "");
        log.call(record(CallRecord::Outcome::Ok));
        log.call(record(CallRecord::Outcome::Failure));
        log.setLevel(CallLogLevel::Off);
        log.call(record(CallRecord::Outcome::DeadlineExceeded));
        log.info("still logged");
    }
    const std::string text = readAll(path);
    EXPECT_EQ(text.find(" ok"), std::string::npos) << text;
    EXPECT_NE(text.find("failure \"Data inválida.\""), std::string::npos) << text;
    EXPECT_EQ(text.find("deadline"), std::string::npos) << text;
    EXPECT_NE(text.find("still logged"), std::string::npos) << text;

    // A mistyped folder is refused, not made.
    CallLog log(stderr, CallLogLevel::All);
    EXPECT_NE(log.openFile((folder / "typo" / "server.log").string(), 4096), "");
    EXPECT_FALSE(fs::exists(folder / "typo"));
    fs::remove_all(folder);
}

// Catches a reply larger than the limit sent anyway (the client refuses it
// after the server built and sent it), without a message the user can read.
TEST(ReplyLimitTest, ALargerReplyIsAPortugueseFailure)
{
    std::string whyNot;
    std::unique_ptr<TestDatabase> db = TestDatabase::create(Backend::SQLite, &whyNot);
    ASSERT_TRUE(db) << whyNot;
    loadFixture(db->connection());
    ConnectionPool pool(db->databaseTarget());
    CallLog log(stderr);
    ReplyCache cache;
    CallHandler handler(pool, log);
    handler.addModule(rdmPosFDiPlav(cache));
    const pb::CallRequest day =
        request("GetPlanoVoo", {textArg(""), textArg("T"), dateArg(fixtureDay()), textArg("GRU")});
    pb::CallReply reply;
    handler.handle(day, &reply);
    ASSERT_TRUE(reply.has_packet());

    handler.setMaxReplyBytes(reply.ByteSizeLong() - 1);
    pb::CallReply refused;
    handler.handle(day, &refused);
    ASSERT_TRUE(refused.has_failure());
    EXPECT_NE(refused.failure().message().find("A resposta de GetPlanoVoo tem "
                                               + std::to_string(reply.ByteSizeLong())
                                               + " bytes, acima do limite de "),
              std::string::npos)
        << refused.failure().message();
}

// Catches a read kept waiting on a locked file past the client's deadline:
// the user saw a timeout instead of a message, and the log said "ok" for a
// reply the client never got.
TEST(CallOutcomeTest, ALockedFileEndsTheCallAtItsDeadline)
{
    std::string whyNot;
    std::unique_ptr<TestDatabase> db = TestDatabase::create(Backend::SQLite, &whyNot);
    ASSERT_TRUE(db) << whyNot;
    loadFixture(db->connection());
    DatabaseTarget target = db->databaseTarget();
    target.busyTimeoutMs = 60000;
    ConnectionPool pool(target);
    std::FILE *logFile = std::tmpfile();
    CallLog log(logFile, CallLogLevel::All);
    ReplyCache cache;
    CallHandler handler(pool, log);
    handler.addModule(rdmPosFDiPlav(cache));
    ServerOptions options;
    options.port = 0;
    Result<std::unique_ptr<GrpcServer>> server = GrpcServer::start(options, handler, log);
    ASSERT_TRUE(server.ok());

    // The writer's lock would keep the read waiting far past the client's
    // deadline.
    auto writer = openConnection(db->databaseTarget());
    ASSERT_TRUE(writer.ok());
    ASSERT_TRUE((*writer)->execute("BEGIN EXCLUSIVE").ok());
    auto stub = ate::appserver::v1::AppServer::NewStub(grpc::CreateChannel(
        "127.0.0.1:" + std::to_string((*server)->port()), grpc::InsecureChannelCredentials()));
    grpc::ClientContext context;
    context.set_deadline(std::chrono::system_clock::now() + std::chrono::milliseconds(1000));
    pb::CallReply reply;
    const grpc::Status status = stub->Call(&context, request("GetCia", {textArg("GRU")}), &reply);
    ASSERT_TRUE(status.ok()) << status.error_message();
    EXPECT_EQ(reply.failure().message(), deadlineError({}).message);
    ASSERT_TRUE((*writer)->execute("COMMIT").ok());
    (*server)->shutdown();

    const std::string text = readAndClose(logFile);
    EXPECT_NE(text.find("GetCia"), std::string::npos) << text;
    EXPECT_NE(text.find("failure \"" + deadlineError({}).message), std::string::npos) << text;
    EXPECT_EQ(text.find("rows=3 ok"), std::string::npos) << text;
}

} // namespace
} // namespace appserver::testing
