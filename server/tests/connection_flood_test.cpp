#include "appserver.grpc.pb.h"
#include "call_helpers.h"
#include "fixture.h"
#include "server_process.h"

#include <gtest/gtest.h>

#include <grpcpp/grpcpp.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace appserver::testing {
namespace {

int connectTo(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Catches a server that stops accepting for good once a flood of idle
// connections has used up its descriptors (gRPC's own listener gives up
// when accept fails), while the process stays up and looks healthy, and a
// flood that is not capped.
TEST(ConnectionFloodTest, ANewClientIsServedAfterTheFloodIsGone)
{
    std::string whyNot;
    std::unique_ptr<TestDatabase> db = TestDatabase::create(Backend::SQLite, &whyNot);
    ASSERT_TRUE(db) << whyNot;
    loadFixture(db->connection());

    constexpr int kOpenFileLimit = 64;
    ServerProcess server;
    ASSERT_TRUE(server.start({"--port", "0", "--database", db->databaseTarget().target,
                              "--threads", "2"},
                             kOpenFileLimit));
    const int port = server.waitListening();
    ASSERT_GT(port, 0) << server.output();

    // More idle connections than the server has descriptors; the kernel
    // completes them on the listening socket's backlog, and those above
    // the cap are closed by the server.
    std::vector<int> flood;
    for (int i = 0; i < 2 * kOpenFileLimit; ++i) {
        if (const int fd = connectTo(port); fd >= 0)
            flood.push_back(fd);
    }
    const bool capped = server.waitFor(std::regex("connection refused: [0-9]+ connections"));
    for (int fd : flood) close(fd);
    ASSERT_TRUE(capped) << server.output();
    EXPECT_EQ(server.output().find("Failed accept4"), std::string::npos) << server.output();

    auto stub = ate::appserver::v1::AppServer::NewStub(grpc::CreateChannel(
        "127.0.0.1:" + std::to_string(port), grpc::InsecureChannelCredentials()));
    grpc::ClientContext context;
    // Generous: the new listener needs a moment; without it the call would
    // wait for ever.
    context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(30));
    context.set_wait_for_ready(true);
    pb::CallReply reply;
    const grpc::Status status = stub->Call(&context, request("GetCia", {textArg("GRU")}), &reply);
    EXPECT_TRUE(status.ok()) << status.error_message() << "\n" << server.output();
    EXPECT_EQ(reply.packet().row_count(), 3u);
    EXPECT_EQ(server.stop(SIGTERM), 0) << server.output();
    if (std::getenv("ATE_SHOW_SERVER_LOG"))
        std::fprintf(stderr, "%s", server.output().c_str());
}

}  // namespace
}  // namespace appserver::testing
