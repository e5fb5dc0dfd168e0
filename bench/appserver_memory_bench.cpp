// The application server's resident memory around very large replies: a
// 50,000-flight day (or N) read three times from the real ate-appserver
// process. 1,500,000 flights make a reply of about 80 MB.
//   ate-appserver-memory-bench [--flights N]
#include "proto/appserver.grpc.pb.h"
#include "server/db/schema.h"
#include "server/db/sql_time.h"
#include "server/demo/demo_data.h"
#include "server/transport/call_handler.h"
#include "testing/process/server_process.h"

#include <grpcpp/grpcpp.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>

extern char **environ;

namespace pb = ate::appserver::v1;
using namespace appserver;

namespace {

long statusKb(pid_t pid, const std::string &field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

// Heap (anonymous) memory is what large replies leave behind; mapped
// database pages (file) are the page cache's and come and go with it.
std::string rss(pid_t pid)
{
    return std::to_string(statusKb(pid, "VmRSS")) + " KB (heap "
           + std::to_string(statusKb(pid, "RssAnon")) + " KB, mapped file "
           + std::to_string(statusKb(pid, "RssFile")) + " KB)";
}

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "failed: %s\n", what);
        std::exit(1);
    }
}

pb::Argument text(const std::string &value)
{
    pb::Argument argument;
    argument.mutable_value()->set_text(value);
    return argument;
}

} // namespace

int main(int argc, char **argv)
{
    int flights = 50000;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--flights")
            flights = std::stoi(argv[++i]);
    }
    const auto folder =
        std::filesystem::temp_directory_path() / ("ate-memory-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "server.db").string();
    const std::int64_t day = demo::localToday() - 40 * kMsecsPerDay;
    {
        auto db = openConnection(DatabaseTarget::parse(path, Access::Create));
        check(db.ok(), "open");
        check(demo::writeServerData(**db, {demo::localToday(), 1, 25400}).ok(), "demo data");
        // Flight numbers 00001 to N on one airline keep every key distinct.
        const std::string sql =
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
            + std::to_string(flights)
            + ") INSERT INTO PLANOVOO (CDCIA, CDFILIAL, NRVOO, CDTRECHO, DTHRPLAVOOPV, "
              "IDSITABASPV, IDBREAKGERA, CDBASEORI, CDBASEDES, HRDECOLVOO) "
              "SELECT (SELECT MIN(CDCIA) FROM CIAFILIAL WHERE CDFILIAL = 'GRU'), 'GRU', "
              "printf('%05d', i), '01', '"
            + formatSqlDateTime(day).substr(0, 10)
            + " ' || printf('%02d:%02d:00', (i / 60) % 24, i % 60), '1', 'S', "
              "(SELECT MIN(CDBASE) FROM BASE), (SELECT MAX(CDBASE) FROM BASE), "
              "printf('%02d%02d', (i / 60) % 24, i % 60) FROM n";
        check((*db)->execute(sql).ok(), "large day");
    }

    appserver::testing::ServerProcess server;
    check(server.start(
              {"--database", path, "--port", "0", "--threads", "2", "--max-reply-mb", "500"}),
          "spawn");
    const int port = server.waitListening();
    check(port > 0, "server start");
    const pid_t pid = server.pid();

    grpc::ChannelArguments channelArgs;
    channelArgs.SetMaxReceiveMessageSize(1 << 30);
    auto stub = pb::AppServer::NewStub(grpc::CreateCustomChannel(
        "127.0.0.1:" + std::to_string(port), grpc::InsecureChannelCredentials(), channelArgs));
    pb::CallRequest request;
    request.set_module("Ate25400.rdmPosFDiPlav");
    request.set_method("GetPlanoVoo");
    *request.add_arguments() = text("");
    *request.add_arguments() = text("T");
    request.add_arguments()->mutable_value()->mutable_date_time()->set_msecs(day);
    *request.add_arguments() = text("GRU");

    std::printf("server RSS at start: %s\n", rss(pid).c_str());
    for (int round = 1; round <= 3; ++round) {
        grpc::ClientContext context;
        context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(120));
        pb::CallReply reply;
        const auto start = std::chrono::steady_clock::now();
        const grpc::Status status = stub->Call(&context, request, &reply);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        check(status.ok() && reply.has_packet(), "large day call");
        std::printf("reply %d: %u rows, %.1f MB in %.2f s; server RSS after: %s\n", round,
                    reply.packet().row_count(), reply.ByteSizeLong() / 1048576.0, seconds,
                    rss(pid).c_str());
    }
    // A moment for the last call's clean-up on the server's worker.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::printf("server RSS at rest after three replies: %s\n", rss(pid).c_str());
    server.stop(SIGTERM);
    std::filesystem::remove_all(folder);
    return 0;
}
