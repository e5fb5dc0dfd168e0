#include "server/cache/reply_cache.h"
#include "server/db/sqlite_connection.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/tests/call_helpers.h"
#include "server/tests/fixture.h"
#include "server/tests/worker_thread.h"
#include "server/transport/call_handler.h"
#include "testing/process/server_process.h"

#include <gtest/gtest.h>

#include <grpcpp/grpcpp.h>

#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "proto/appserver.grpc.pb.h"

namespace appserver::testing {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<TestDatabase> fixtureDatabase()
{
    std::string whyNot;
    std::unique_ptr<TestDatabase> db = TestDatabase::create(Backend::SQLite, &whyNot);
    EXPECT_TRUE(db) << whyNot;
    if (db)
        loadFixture(db->connection());
    return db;
}

int callGetCia(int port, pb::CallReply *reply)
{
    auto stub = ate::appserver::v1::AppServer::NewStub(grpc::CreateChannel(
        "127.0.0.1:" + std::to_string(port), grpc::InsecureChannelCredentials()));
    grpc::ClientContext context;
    context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(10));
    return stub->Call(&context, request("GetCia", {textArg("GRU")}), reply).error_code();
}

class DatabaseOpenTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("ate-open-test-" + std::to_string(getpid()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    fs::path m_folder;
};

// Catches a mistyped or empty database path served as an empty database
// (a day without flights shown as a success) and the file it would create.
TEST_F(DatabaseOpenTest, AMissingOrEmptyFileIsRefusedAndNotCreated)
{
    const fs::path missing = m_folder / "mistyped.db";
    Result<std::unique_ptr<Connection>> opened =
        openConnection(DatabaseTarget::parse(missing.string()));
    ASSERT_FALSE(opened.ok());
    EXPECT_NE(opened.error().message.find("não existe"), std::string::npos);
    EXPECT_FALSE(fs::exists(missing));

    const fs::path empty = m_folder / "empty.db";
    std::ofstream(empty).close();
    opened = openConnection(DatabaseTarget::parse(empty.string()));
    ASSERT_FALSE(opened.ok());
    EXPECT_NE(opened.error().message.find("está vazio"), std::string::npos);

    const fs::path text = m_folder / "notes.db";
    std::ofstream(text) << "not a database, just some text that is long enough to matter\n";
    EXPECT_FALSE(openConnection(DatabaseTarget::parse(text.string())).ok());

    ServerProcess server;
    ASSERT_TRUE(server.start({"--port", "0", "--database", missing.string()}));
    EXPECT_EQ(server.wait(), 1);
    EXPECT_NE(server.output().find("não existe: " + missing.string()), std::string::npos)
        << server.output();
    EXPECT_FALSE(fs::exists(missing));
}

// Catches a server that refuses a read-only file, or writes to one it only
// reads (switching its journal to WAL for good).
TEST_F(DatabaseOpenTest, ServesAReadOnlyFileWithoutWritingToIt)
{
    std::unique_ptr<TestDatabase> db = fixtureDatabase();
    ASSERT_TRUE(db);
    const fs::path path = db->databaseTarget().target;
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    const std::string before = readAll(path);

    ServerProcess server;
    ASSERT_TRUE(server.start({"--port", "0", "--database", path.string(), "--threads", "2"}));
    const int port = server.waitListening();
    ASSERT_GT(port, 0) << server.output();
    pb::CallReply reply;
    ASSERT_EQ(callGetCia(port, &reply), 0);
    EXPECT_EQ(reply.packet().row_count(), 3u);
    EXPECT_EQ(server.stop(SIGTERM), 0);

    EXPECT_TRUE(readAll(path) == before) << "the database file changed";
    EXPECT_FALSE(fs::exists(path.string() + "-wal"));
    // The start-up log names what is served.
    EXPECT_NE(server.output().find("database sqlite " + fs::absolute(path).string()
                                   + " (journal delete, read-only)"),
              std::string::npos)
        << server.output();
    EXPECT_NE(server.output().find("rows FILIAL=2 COMPANHIA=4 PLANOVOO="), std::string::npos);
    // And tells the operator what that journal mode costs.
    EXPECT_NE(server.output().find("switch it to WAL once"), std::string::npos) << server.output();
}

// Catches a file made by the project's own tools in rollback-journal mode,
// where one program holding a write transaction stops every call, and a
// log that then blames the schema instead of the lock.
TEST_F(DatabaseOpenTest, AWriterHoldingTheFileStopsNoReadOnAFileTheToolsMade)
{
    const fs::path path = m_folder / "tools.db";
    ServerProcess init;
    ASSERT_TRUE(init.start({"--database", path.string(), "--init-schema"}));
    ASSERT_EQ(init.wait(), 0) << init.output();
    Result<std::unique_ptr<Connection>> writer =
        openConnection(DatabaseTarget::parse(path.string(), Access::ReadWrite));
    ASSERT_TRUE(writer.ok());
    loadFixture(**writer);
    EXPECT_EQ(sqliteJournalMode(**writer), "wal");

    ServerProcess server;
    ASSERT_TRUE(
        server.start({"--port", "0", "--database", path.string(), "--busy-timeout-ms", "200"}));
    const int port = server.waitListening();
    ASSERT_GT(port, 0) << server.output();
    EXPECT_EQ(server.output().find("switch it to WAL"), std::string::npos) << server.output();
    ASSERT_TRUE((*writer)->execute("BEGIN EXCLUSIVE").ok());
    ASSERT_TRUE((*writer)->execute("UPDATE COMPANHIA SET SGCIA = 'XX'").ok());
    for (int call = 0; call < 5; ++call) {
        pb::CallReply reply;
        ASSERT_EQ(callGetCia(port, &reply), 0);
        EXPECT_TRUE(reply.has_packet()) << reply.failure().message() << "\n" << server.output();
    }
    ASSERT_TRUE((*writer)->execute("ROLLBACK").ok());
    EXPECT_EQ(server.stop(SIGTERM), 0);

    // The same writer on a file another program left in rollback-journal
    // mode: the calls fail, and the log names the lock as the cause.
    ASSERT_TRUE((*writer)->execute("PRAGMA journal_mode=DELETE").ok());
    ServerProcess other;
    ASSERT_TRUE(
        other.start({"--port", "0", "--database", path.string(), "--busy-timeout-ms", "200"}));
    const int otherPort = other.waitListening();
    ASSERT_GT(otherPort, 0) << other.output();
    ASSERT_TRUE((*writer)->execute("BEGIN EXCLUSIVE").ok());
    ASSERT_TRUE((*writer)->execute("UPDATE COMPANHIA SET SGCIA = 'XX'").ok());
    pb::CallReply reply;
    ASSERT_EQ(callGetCia(otherPort, &reply), 0);
    EXPECT_TRUE(reply.has_failure());
    ASSERT_TRUE((*writer)->execute("ROLLBACK").ok());
    EXPECT_EQ(other.stop(SIGTERM), 0);
    EXPECT_NE(other.output().find("another program holds a write transaction"), std::string::npos)
        << other.output();
    EXPECT_EQ(other.output().find("--init-schema"), std::string::npos) << other.output();
}

// Catches a schema created behind the operator's back, and a server that
// starts on a database without one.
TEST_F(DatabaseOpenTest, TheSchemaIsCreatedOnlyOnRequest)
{
    const fs::path path = m_folder / "new.db";
    ServerProcess refused;
    {
        auto other = openConnection(DatabaseTarget::parse(path.string(), Access::Create));
        ASSERT_TRUE(other.ok());
        ASSERT_TRUE((*other)->execute("CREATE TABLE OUTRA (A INTEGER)").ok());
    }
    ASSERT_TRUE(refused.start({"--port", "0", "--database", path.string()}));
    EXPECT_EQ(refused.wait(), 1);
    EXPECT_NE(refused.output().find("--init-schema"), std::string::npos) << refused.output();

    ServerProcess init;
    ASSERT_TRUE(init.start({"--database", path.string(), "--init-schema"}));
    EXPECT_EQ(init.wait(), 0) << init.output();

    ServerProcess server;
    ASSERT_TRUE(server.start({"--port", "0", "--database", path.string()}));
    ASSERT_GT(server.waitListening(), 0) << server.output();
    EXPECT_NE(server.output().find("rows FILIAL=0"), std::string::npos) << server.output();
    EXPECT_EQ(server.stop(SIGTERM), 0);
}

// Catches workers that answer from a deleted file, keep reading the old file
// after it was replaced, or disagree with each other about it.
TEST_F(DatabaseOpenTest, EveryWorkerSeesAReplacedOrDeletedFile)
{
    std::unique_ptr<TestDatabase> served = fixtureDatabase();
    std::unique_ptr<TestDatabase> replacement = fixtureDatabase();
    ASSERT_TRUE(served && replacement);
    insertRow(replacement->connection(), "COMPANHIA", {"CDCIA", "SGCIA", "NMCIA", "IDNACCIA"},
              {"ZZ", "ZZZ", "Zeta", "1"});
    insertRow(replacement->connection(), "CIAFILIAL", {"CDFILIAL", "CDCIA"}, {"GRU", "ZZ"});

    DatabaseTarget target = served->databaseTarget();
    target.access = Access::Read;
    ConnectionPool pool(target, 2);
    CallLog log(stderr);
    ReplyCache cache;
    CallHandler handler(pool, log);
    handler.addModule(rdmPosFDiPlav(cache));
    WorkerThread workers[2];
    const auto rowsSeenByEachWorker = [&] {
        std::vector<std::string> seen;
        for (WorkerThread &worker : workers) {
            worker.run([&] {
                pb::CallReply reply;
                handler.handle(request("GetCia", {textArg("GRU")}), &reply);
                seen.push_back(reply.has_packet() ? std::to_string(reply.packet().row_count())
                                                  : reply.failure().message());
            });
        }
        return seen;
    };
    ASSERT_TRUE(handler.openConnections().ok());
    EXPECT_EQ(rowsSeenByEachWorker(), (std::vector<std::string>{"3", "3"}));

    fs::rename(replacement->databaseTarget().target, target.target);
    EXPECT_EQ(rowsSeenByEachWorker(), (std::vector<std::string>{"4", "4"}));

    fs::remove(target.target);
    const std::vector<std::string> afterDelete = rowsSeenByEachWorker();
    ASSERT_EQ(afterDelete.size(), 2u);
    EXPECT_EQ(afterDelete[0], afterDelete[1]);
    EXPECT_NE(afterDelete[0].find("não existe"), std::string::npos) << afterDelete[0];
    EXPECT_FALSE(fs::exists(target.target));
}

} // namespace
} // namespace appserver::testing
