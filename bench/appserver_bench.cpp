// Loopback measurements of the application server against a demo data set,
// printed beside the floor measured in the same run: the bare SQL query on
// the same database and an empty gRPC round trip.
//
// The throughput runs' clients share the server's cores, so they take each
// reply as raw bytes and check its status and size against the reply that
// was parsed and checked before the run: parsing a 100 KB day on every call
// would spend the server's CPU on the client. Their floor, the empty call,
// is received the same way. The latency figures parse every reply. The
// server logs as it does by default (`--log-calls errors`).

#include "bench/bare_query.h"
#include "proto/appserver.grpc.pb.h"
#include "server/cache/reply_cache.h"
#include "server/db/connection_pool.h"
#include "server/db/sql_time.h"
#include "server/demo/demo_data.h"
#include "server/module/queries.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/process/server_config.h"
#include "server/transport/call_handler.h"
#include "server/transport/grpc_server.h"

#include <grpcpp/generic/generic_stub.h>
#include <grpcpp/grpcpp.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <mutex>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace pb = ate::appserver::v1;
using namespace appserver;
using Clock = std::chrono::steady_clock;

namespace {

struct Options
{
    int days = 7;
    int iterations = 300;
    double seconds = 2.0;
    int threads = 0;
    bool handOffsOnly = false;
};

struct Stats
{
    double median = 0;
    double p99 = 0;
};

Stats measure(int iterations, const std::function<void()> &work)
{
    for (int i = 0; i < 20; ++i)
        work();
    std::vector<double> ms;
    ms.reserve(static_cast<std::size_t>(iterations));
    for (int i = 0; i < iterations; ++i) {
        const auto start = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 99 / 100)]};
}

void check(bool ok, const std::string &what)
{
    if (!ok) {
        std::cerr << "bench: " << what << "\n";
        std::exit(1);
    }
}

pb::Argument text(const std::string &v)
{
    pb::Argument a;
    a.mutable_value()->set_text(v);
    return a;
}

pb::Argument date(std::int64_t msecs)
{
    pb::Argument a;
    a.mutable_value()->mutable_date_time()->set_msecs(msecs);
    return a;
}

pb::CallRequest request(const std::string &method, std::vector<pb::Argument> args)
{
    pb::CallRequest r;
    r.set_module("Ate25400.rdmPosFDiPlav");
    r.set_method(method);
    for (auto &a : args)
        *r.add_arguments() = std::move(a);
    return r;
}

std::shared_ptr<grpc::Channel> newChannel(int port)
{
    grpc::ChannelArguments args;
    // One connection per simulated client, as separate client processes have.
    args.SetInt(GRPC_ARG_USE_LOCAL_SUBCHANNEL_POOL, 1);
    args.SetMaxReceiveMessageSize(64 << 20);
    return grpc::CreateCustomChannel("127.0.0.1:" + std::to_string(port),
                                     grpc::InsecureChannelCredentials(), args);
}

// One call with the client's 5 s deadline; returns the rows received.
std::uint32_t call(pb::AppServer::Stub &stub, const pb::CallRequest &req)
{
    grpc::ClientContext context;
    context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(5));
    pb::CallReply reply;
    const grpc::Status status = stub.Call(&context, req, &reply);
    check(status.ok() && reply.has_packet(),
          "call failed: " + status.error_message() + " " + reply.failure().message());
    return reply.packet().row_count();
}

// A unary call of `method` through gRPC's generic stub, as the host makes
// it: bytes in, bytes out, waited for.
grpc::Status genericCall(grpc::Channel &channel, const std::string &method,
                         const grpc::ByteBuffer &request, grpc::ByteBuffer *reply)
{
    grpc::GenericStub stub(std::shared_ptr<grpc::Channel>(&channel, [](grpc::Channel *) {}));
    grpc::ClientContext context;
    context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(5));
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    grpc::Status status;
    stub.UnaryCall(&context, method, grpc::StubOptions(), &request, reply,
                   [&](grpc::Status outcome) {
                       const std::lock_guard lock(mutex);
                       status = std::move(outcome);
                       done = true;
                       finished.notify_one();
                   });
    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return done; });
    return status;
}

// One call with the client's 5 s deadline, the reply left as bytes: its
// size.
std::size_t rawCall(grpc::Channel &channel, const pb::CallRequest &req)
{
    grpc::ByteBuffer request;
    bool owned = false;
    check(grpc::SerializationTraits<pb::CallRequest>::Serialize(req, &request, &owned).ok(),
          "request not serialised");
    grpc::ByteBuffer reply;
    const grpc::Status status =
        genericCall(channel, "/ate.appserver.v1.AppServer/Call", request, &reply);
    check(status.ok(), "call failed: " + status.error_message());
    return reply.Length();
}

// The query alone: same SQL, every column of every row read.
std::uint32_t bareQuery(Connection &db, const std::string &sql,
                        const std::vector<std::string> &texts,
                        const std::vector<std::int64_t> &dates)
{
    const std::optional<std::uint32_t> rows = bench::bareQuery(db, sql, texts, dates);
    check(rows.has_value(), "bare query failed");
    return *rows;
}

// CPU time of the whole process (server and clients), in microseconds.
double cpuMicroseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto us = [](const timeval &t) { return t.tv_sec * 1e6 + t.tv_usec; };
    return us(usage.ru_utime) + us(usage.ru_stime);
}

// Rounds per second, each round the requests in order; `cpuPerRound`, if
// given, gets the process's CPU time per round, which other work on the
// machine disturbs less than the rate.
double throughput(int port, int clients, double seconds, const std::vector<pb::CallRequest> &round,
                  double *cpuPerRound = nullptr)
{
    std::atomic<bool> go{false}, stop{false};
    std::atomic<long> rounds{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&] {
            const auto channel = newChannel(port);
            auto stub = pb::AppServer::NewStub(channel);
            std::vector<std::size_t> sizes;
            for (const pb::CallRequest &req : round) {
                call(*stub, req);
                sizes.push_back(rawCall(*channel, req));
            }
            while (!go)
                std::this_thread::yield();
            long mine = 0;
            while (!stop) {
                for (std::size_t i = 0; i < round.size(); ++i)
                    check(rawCall(*channel, round[i]) == sizes[i], "reply of another size");
                ++mine;
            }
            rounds += mine;
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = Clock::now();
    const double cpuStart = cpuMicroseconds();
    go = true;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    for (auto &t : threads)
        t.join();
    if (cpuPerRound)
        *cpuPerRound =
            (cpuMicroseconds() - cpuStart) / static_cast<double>(std::max(1L, rounds.load()));
    return static_cast<double>(rounds) / elapsed;
}

void target(const char *what, double value, const char *relation, double limit,
            const char *limitText)
{
    const bool met = relation[0] == '>' ? value >= limit : value <= limit;
    std::printf("  %-52s %9.2f %s %9.2f  (%s)  %s\n", what, value, relation, limit, limitText,
                met ? "met" : "MISSED");
}

double throughput(int port, int clients, double seconds, const pb::CallRequest &req)
{
    return throughput(port, clients, seconds, std::vector<pb::CallRequest>{req});
}

// grpc.health.v1.Health/Check with an empty request, through the same
// generic path as rawCall: the bare round trip of gRPC.
void healthCheck(grpc::Channel &channel)
{
    grpc::Slice nothing(std::string{});
    const grpc::ByteBuffer request(&nothing, 1);
    grpc::ByteBuffer response;
    const grpc::Status status =
        genericCall(channel, "/grpc.health.v1.Health/Check", request, &response);
    check(status.ok(), "health check failed: " + status.error_message());
}

// Several kinds of call measured in turn, one of each per round, so that a
// busy machine slows them alike.
std::vector<Stats> interleaved(int iterations, const std::vector<std::function<void()>> &works)
{
    for (int i = 0; i < 20; ++i)
        for (const auto &work : works)
            work();
    std::vector<std::vector<double>> ms(works.size());
    for (int i = 0; i < iterations; ++i) {
        for (std::size_t w = 0; w < works.size(); ++w) {
            const auto start = Clock::now();
            works[w]();
            ms[w].push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    }
    std::vector<Stats> stats;
    for (auto &m : ms) {
        std::sort(m.begin(), m.end());
        stats.push_back({m[m.size() / 2], m[std::min(m.size() - 1, m.size() * 99 / 100)]});
    }
    return stats;
}

void row(const char *what, const Stats &s, const std::string &note = {});

// What the server's threading adds to a call: an empty call (one indexed
// query that finds nothing) and a call refused before any database work,
// beside gRPC's own health check and the empty call's work done in-process.
void measureHandOffs(pb::AppServer::Stub &stub, grpc::Channel &channel, Connection &db,
                     int iterations)
{
    const pb::CallRequest empty = request("GetCia", {text("")});
    const pb::CallRequest refused = request("GetCia", {});
    const auto refusedCall = [&] {
        grpc::ClientContext context;
        context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(5));
        pb::CallReply reply;
        check(stub.Call(&context, refused, &reply).ok() && reply.has_failure(), "refused call");
    };
    const std::vector<Stats> s =
        interleaved(iterations, {[&] { healthCheck(channel); },
                                 [&] {
                                     pb::DataPacket packet;
                                     check(selectCia(db, "", &packet).ok(), "in-process GetCia");
                                 },
                                 [&] { call(stub, empty); }, refusedCall});
    const Stats &health = s[0], &local = s[1], &emptyCall = s[2], &refusedStats = s[3];
    char note[128];
    std::printf("hand-offs, one client, %d calls of each kind, interleaved\n", iterations);
    row("floor: gRPC health check round trip", health);
    row("floor: empty call's work in-process", local);
    std::snprintf(note, sizeof note, "= %.2f x health check", refusedStats.median / health.median);
    row("call refused before the database", refusedStats, note);
    std::snprintf(note, sizeof note, "= %.2f x health check, %.2f x (health check + work)",
                  emptyCall.median / health.median,
                  emptyCall.median / (health.median + local.median));
    row("empty call (GetCia, 0 rows)", emptyCall, note);
    std::printf("\n");
}

void row(const char *what, const Stats &s, const std::string &note)
{
    std::printf("  %-46s median %8.3f ms   p99 %8.3f ms   %s\n", what, s.median, s.p99,
                note.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto number = [&](auto &out) {
            check(i + 1 < argc, "missing value for " + arg);
            const char *v = argv[++i];
            std::from_chars(v, v + std::strlen(v), out);
        };
        if (arg == "--days")
            number(options.days);
        else if (arg == "--iterations")
            number(options.iterations);
        else if (arg == "--threads")
            number(options.threads);
        else if (arg == "--hand-offs")
            options.handOffsOnly = true;
        else if (arg == "--seconds") {
            check(i + 1 < argc, "missing value");
            options.seconds = std::atof(argv[++i]);
        } else {
            std::cout
                << "Usage: ate-appserver-bench [--days N (7)] [--iterations N (300)]\n"
                   "       [--seconds S per throughput run (2)] [--threads N server workers]\n"
                   "       [--hand-offs: only the threading's cost per call]\n";
            return arg == "--help" ? 0 : 2;
        }
    }

    const auto folder =
        std::filesystem::temp_directory_path() / ("ate-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const DatabaseTarget dbTarget =
        DatabaseTarget::parse((folder / "server.db").string(), Access::Create);

    // The demo data set, plus a 2,000- and a 4,000-flight day and a flight
    // with 100 services, on branch GRU before the demo month.
    const std::int64_t first = demo::localToday() - 15 * kMsecsPerDay;
    const std::int64_t day2000 = first - 10 * kMsecsPerDay;
    const std::int64_t day4000 = first - 9 * kMsecsPerDay;
    const std::int64_t day100 = first - 8 * kMsecsPerDay;
    auto setupStart = Clock::now();
    {
        auto db = openConnection(dbTarget);
        check(db.ok(), "open");
        auto summary = demo::writeServerData(**db, {first, options.days, 25400});
        check(summary.ok(), "demo data");
        check(demo::addFlightPlans(**db, "GRU", day2000, 2000, 2, 1).ok(), "2000 flights");
        check(demo::addFlightPlans(**db, "GRU", day4000, 4000, 2, 2).ok(), "4000 flights");
        check(demo::addFlightPlans(**db, "GRU", day100, 1, 100, 3).ok(), "100 services");
        std::printf(
            "data set: %d days of demo data (%lld flight plans, %lld services) + busy days; "
            "built in %.1f s\n",
            options.days, static_cast<long long>(summary->flightPlans),
            static_cast<long long>(summary->services),
            std::chrono::duration<double>(Clock::now() - setupStart).count());
    }

    ConnectionPool pool(dbTarget);
    std::FILE *devNull = std::fopen("/dev/null", "w");
    // The server's own default: a line for each call that did not end well.
    CallLog log(devNull, ServerConfig{}.logCalls);
    ReplyCache cache;
    CallHandler handler(pool, log);
    handler.addModule(rdmPosFDiPlav(cache));
    ServerOptions serverOptions;
    serverOptions.port = 0;
    serverOptions.threads = options.threads;
    auto server = GrpcServer::start(serverOptions, handler, log);
    check(server.ok(), "server start");
    const int port = (*server)->port();
    std::printf("server: 127.0.0.1:%d, %d threads receiving calls, SQLite, busy timeout %d ms; %u "
                "cores\n\n",
                port, (*server)->workerCount(), dbTarget.busyTimeoutMs,
                std::thread::hardware_concurrency());

    // The 100-service flight's key.
    auto direct = openConnection(dbTarget);
    check(direct.ok(), "open");
    Connection &db = **direct;
    FlightKey key;
    {
        auto p = db.prepare(
            "SELECT CDCIA, NRVOO, CDTRECHO, DTHRPLAVOOPV FROM PLANOVOO WHERE CDFILIAL = 'GRU' "
            "AND DTHRPLAVOOPV >= ? AND DTHRPLAVOOPV < ?");
        check(p.ok(), "key");
        StatementRun run(**p);
        run->bindDateTime(0, day100);
        run->bindDateTime(1, day100 + kMsecsPerDay);
        check(*run->step(), "100-service flight");
        key = {std::string(run->text(0)), "GRU", std::string(run->text(1)),
               std::string(run->text(2)), *run->dateTime(3)};
    }

    const auto planoVoo = [&](std::int64_t day) {
        return request("GetPlanoVoo",
                       {text(""), text("T"), date(day + 10 * 3600000LL), text("GRU")});
    };
    const pb::CallRequest servPlano =
        request("GetServPlano", {text(key.cdcia), text("GRU"), text(key.nrvoo), text(key.cdtrecho),
                                 date(key.dthrplavoopv)});
    const pb::CallRequest empty = request("GetCia", {text("")});

    const auto channel = newChannel(port);
    auto stub = pb::AppServer::NewStub(channel);
    measureHandOffs(*stub, *channel, db, options.iterations * 3);
    const auto finish = [&] {
        (*server)->shutdown();
        std::fclose(devNull);
        direct->reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        return 0;
    };
    if (options.handOffsOnly)
        return finish();
    check(call(*stub, planoVoo(day2000)) == 2000, "2000 rows");
    check(call(*stub, planoVoo(day4000)) == 4000, "4000 rows");
    check(call(*stub, servPlano) == 100, "100 services");

    const std::string planoSql = planoVooSql(db.dialect(), 0);
    const std::string &servSql = servPlanoSql();
    const int n = options.iterations;

    std::printf("latency, one client, %d calls each (client's 5 s deadline)\n", n);
    const Stats sql2000 = measure(n, [&] {
        check(bareQuery(db, planoSql, {"GRU", planoVooDay(day2000)}, {}) == 2000, "sql");
    });
    const Stats sql4000 = measure(n / 2, [&] {
        check(bareQuery(db, planoSql, {"GRU", planoVooDay(day4000)}, {}) == 4000, "sql");
    });
    const Stats sql100 = measure(n, [&] {
        check(
            bareQuery(db, servSql, {key.cdcia, "GRU", key.nrvoo, key.cdtrecho}, {key.dthrplavoopv})
                == 100,
            "sql");
    });
    const Stats rtt = measure(n, [&] { call(*stub, empty); });
    const Stats plano2000 = measure(n, [&] { call(*stub, planoVoo(day2000)); });
    const Stats plano4000 = measure(n / 2, [&] { call(*stub, planoVoo(day4000)); });
    const Stats serv100 = measure(n, [&] { call(*stub, servPlano); });

    char note[128];
    row("floor: bare SQL, GetPlanoVoo 2,000 rows", sql2000);
    row("floor: bare SQL, GetPlanoVoo 4,000 rows", sql4000);
    row("floor: bare SQL, GetServPlano 100 rows", sql100);
    row("floor: empty gRPC round trip (0-row call)", rtt);
    std::snprintf(note, sizeof note, "= %.2f x floor (SQL + round trip)",
                  plano2000.median / (sql2000.median + rtt.median));
    row("GetPlanoVoo 2,000 flights", plano2000, note);
    std::snprintf(note, sizeof note, "= %.2f x the 2,000-row call",
                  plano4000.median / plano2000.median);
    row("GetPlanoVoo 4,000 flights", plano4000, note);
    std::snprintf(note, sizeof note, "= %.2f x floor (SQL + round trip)",
                  serv100.median / (sql100.median + rtt.median));
    row("GetServPlano 100 services", serv100, note);

    std::printf("\nthroughput, client and server on loopback, %.1f s per run\n", options.seconds);
    for (int clients : {1, 8, 64}) {
        const double plano = throughput(port, clients, options.seconds, planoVoo(day2000));
        const double serv = throughput(port, clients, options.seconds, servPlano);
        const double floor = throughput(port, clients, options.seconds, empty);
        std::printf(
            "  %2d clients: GetPlanoVoo 2,000 rows %7.0f calls/s   GetServPlano 100 rows %7.0f "
            "calls/s"
            "   (floor: empty call %7.0f calls/s)\n",
            clients, plano, serv, floor);
    }

    // A refresh of the screen: the day, then the kept flight's forecast and
    // services, as one tick calls them.
    const pb::CallRequest prevPax =
        request("GetPrevPax", {text(key.cdcia), text("GRU"), text(key.nrvoo), text(key.cdtrecho),
                               date(key.dthrplavoopv)});
    const std::vector<pb::CallRequest> refresh = {
        planoVoo(day2000), prevPax, servPlano, prevPax, servPlano, servPlano, prevPax, servPlano};
    constexpr int kClients = 8;
    std::printf("\ntargets, %d clients, %.1f s per run, %u cores (reply cache on; a changed day "
                "is a call the cache cannot answer: it asks the database, misses and reads)\n",
                kClients, options.seconds, std::thread::hardware_concurrency());
    const double unchangedDay = throughput(port, kClients, options.seconds, planoVoo(day2000));
    double refreshCpu = 0, floorCpu = 0;
    const double unchangedRefresh =
        throughput(port, kClients, options.seconds, refresh, &refreshCpu);
    const double floorCalls = throughput(port, kClients, options.seconds, {empty}, &floorCpu);
    ReplyCacheLimits changed = cache.limits();
    const ReplyCacheLimits kept = changed;
    changed.maxEntries = 0;
    cache.setLimits(changed);
    const double changedDay = throughput(port, kClients, options.seconds, planoVoo(day2000));
    const Stats changed2000 = measure(n, [&] { call(*stub, planoVoo(day2000)); });
    const Stats changed4000 = measure(n / 2, [&] { call(*stub, planoVoo(day4000)); });
    cache.setLimits(kept);
    std::printf("  (floor: empty call %.0f calls/s; changed day, one client: GetPlanoVoo 2,000 "
                "rows p50 %.3f ms against bare SQL %.3f ms + round trip %.3f ms)\n",
                floorCalls, changed2000.median, sql2000.median, rtt.median);
    std::printf("  (CPU of server and clients: %.0f us per refresh, %.0f us per empty call)\n",
                refreshCpu, floorCpu);
    target("unchanged day: GetPlanoVoo 2,000 rows, calls/s", unchangedDay, ">=", 1500,
           "refreshes of the day");
    target("unchanged day: whole refresh (8 calls), refreshes/s", unchangedRefresh, ">=", 1500,
           "refreshes");
    target("changed day: GetPlanoVoo 2,000 rows, calls/s", changedDay, ">=", 500, "calls");
    target("changed day: GetPlanoVoo 4,000 rows p50, ms", changed4000.median,
           "<=", 2.1 * changed2000.median, "2.1 x the 2,000-row call");
    target("unchanged day: GetPlanoVoo 4,000 rows p50, ms", plano4000.median,
           "<=", 2.1 * plano2000.median, "2.1 x the 2,000-row call");

    return finish();
}
