// One application server holding many connected, idle screens, each with
// its change stream open: the server's resident memory, its descriptors,
// the CPU its heartbeats cost per second (the floor), and the CPU and time
// each committed change costs to reach every screen.
//
//   feed_fanout_bench [--screens N (10000)] [--per-connection M (1)]
//                     [--changes K (20)]

#include "proto/appserver.grpc.pb.h"
#include "server/db/database.h"
#include "testing/server/demo_server.h"

#include <grpcpp/grpcpp.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace pb = ate::appserver::v1;
using Clock = std::chrono::steady_clock;

namespace {

void check(bool ok, const std::string &what)
{
    if (!ok) {
        std::fprintf(stderr, "feed_fanout_bench: %s\n", what.c_str());
        std::exit(1);
    }
}

struct Stream
{
    grpc::ClientContext context;
    pb::ChangeNotice notice;
    std::unique_ptr<grpc::ClientAsyncReader<pb::ChangeNotice>> reader;
    std::atomic<int> changes{0}; // notices that named a change
    std::atomic<bool> started{false};
};

// The server process's figures from /proc.
struct ProcessFigures
{
    double rssMiB = 0;
    int descriptors = 0;
    double cpuSeconds = 0;
};

ProcessFigures figuresOf(qint64 pid)
{
    ProcessFigures figures;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                figures.rssMiB = line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
        }
    }
    figures.descriptors =
        int(QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot).size());
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        // utime and stime: fields 14 and 15 of the line, 12 and 13 here.
        const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
        figures.cpuSeconds = ticks / double(sysconf(_SC_CLK_TCK));
    }
    return figures;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int screens = 10000, perConnection = 1, changes = 20;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--screens" && i + 1 < argc) {
            screens = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--per-connection" && i + 1 < argc) {
            perConnection = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--changes" && i + 1 < argc) {
            changes = std::max(1, std::atoi(argv[++i]));
        } else {
            std::printf("Usage: feed_fanout_bench [--screens N (10000)] [--per-connection M (1)] "
                        "[--changes K (20)]\n");
            return arg == "--help" ? 0 : 2;
        }
    }

    host::testing::DemoServer server;
    const QString failed = server.start(QDate::currentDate(), 25400);
    check(failed.isEmpty(), failed.toStdString());
    const qint64 pid = server.pid();
    const ProcessFigures bare = figuresOf(pid);

    // The screens: a connection each (or M streams per connection).
    const std::string target = "127.0.0.1:" + std::to_string(server.port());
    grpc::ChannelArguments arguments;
    arguments.SetInt(GRPC_ARG_USE_LOCAL_SUBCHANNEL_POOL, 1);
    std::vector<std::unique_ptr<pb::AppServer::Stub>> stubs;
    std::vector<std::unique_ptr<Stream>> streams(static_cast<std::size_t>(screens));
    grpc::CompletionQueue queue;
    std::atomic<int> ended{0};
    std::thread pump([&] {
        void *tag = nullptr;
        bool ok = false;
        while (queue.Next(&tag, &ok)) {
            const auto address = reinterpret_cast<std::uintptr_t>(tag);
            auto *stream = reinterpret_cast<Stream *>(address & ~std::uintptr_t(1));
            const bool start = (address & 1) != 0;
            if (!ok) {
                // A failed start is followed by no read.
                ++ended;
                continue;
            }
            if (!start) {
                if (!stream->started)
                    stream->changes = 1; // the first notice
                else if (stream->notice.everything() || stream->notice.scopes_size() > 0)
                    ++stream->changes;
                stream->started = true;
            }
            stream->reader->Read(&stream->notice, stream);
        }
    });
    // The first `n` streams (all by default) have had `count` notices.
    const auto allHave = [&](int count, std::chrono::seconds timeout, int n = -1) {
        const auto until = Clock::now() + timeout;
        const auto last = n < 0 ? streams.end() : streams.begin() + n;
        for (;;) {
            const bool all = std::all_of(streams.begin(), last, [&](const auto &s) {
                return s && s->changes.load() >= count;
            });
            if (all || Clock::now() > until)
                return all;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    // A batch at a time, each past its first notice before the next one
    // connects: one process opening ten thousand connections at once would
    // leave some silent past the server's first-bytes limit (10 s), which
    // a host opening its one connection never meets.
    const auto opened = Clock::now();
    constexpr int kBatch = 250;
    for (int i = 0; i < screens; ++i) {
        if (i % perConnection == 0)
            stubs.push_back(pb::AppServer::NewStub(
                grpc::CreateCustomChannel(target, grpc::InsecureChannelCredentials(), arguments)));
        auto stream = std::make_unique<Stream>();
        stream->reader =
            stubs.back()->PrepareAsyncWatchChanges(&stream->context, pb::WatchRequest(), &queue);
        // The start's tag is the stream's address with its low bit set.
        stream->reader->StartCall(
            reinterpret_cast<void *>(reinterpret_cast<std::uintptr_t>(stream.get()) | 1));
        streams[static_cast<std::size_t>(i)] = std::move(stream);
        if (((i + 1) % kBatch == 0 || i + 1 == screens)
            && (!allHave(1, std::chrono::seconds(60), i + 1) || ended.load() > 0))
            break;
    }
    // Every stream open and past its first notice ("everything": a new host).
    if (!allHave(1, std::chrono::seconds(120))) {
        const auto started = std::count_if(streams.begin(), streams.end(),
                                           [](const auto &s) { return s && s->started.load(); });
        check(false, std::to_string(started) + " of " + std::to_string(screens)
                         + " screens got their first notice; " + std::to_string(ended.load())
                         + " streams ended; server descriptors "
                         + std::to_string(figuresOf(pid).descriptors));
    }
    const double connectSeconds = std::chrono::duration<double>(Clock::now() - opened).count();
    const ProcessFigures idleStart = figuresOf(pid);

    // The floor: heartbeats only, for as long as the changes will take.
    const auto idleFrom = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double idleWall = std::chrono::duration<double>(Clock::now() - idleFrom).count();
    const ProcessFigures idleEnd = figuresOf(pid);
    const double idleCpuPerSecond = (idleEnd.cpuSeconds - idleStart.cpuSeconds) / idleWall;

    auto writer = appserver::openConnection(appserver::DatabaseTarget::parse(
        server.serverDatabase().toStdString(), appserver::Access::ReadWrite));
    check(writer.ok(), "cannot open the server's database to write");
    std::vector<double> fanOut;
    const ProcessFigures changeStart = figuresOf(pid);
    const auto changesFrom = Clock::now();
    for (int k = 0; k < changes; ++k) {
        check((*writer)
                  ->execute("UPDATE SERVPLANO SET QTSESOLICSP = COALESCE(QTSESOLICSP, 0) + 1 "
                            "WHERE NRITEMPLANSP = 1 AND ROWID = (SELECT MIN(ROWID) FROM SERVPLANO)")
                  .ok(),
              "write failed");
        const auto committed = Clock::now();
        check(allHave(2 + k, std::chrono::seconds(60)), "a change did not reach every screen");
        fanOut.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - committed).count());
    }
    const double changesWall = std::chrono::duration<double>(Clock::now() - changesFrom).count();
    const ProcessFigures changeEnd = figuresOf(pid);
    const double cpuPerChange =
        ((changeEnd.cpuSeconds - changeStart.cpuSeconds) - idleCpuPerSecond * changesWall)
        / changes;

    std::printf("ate-appserver (demo SQLite) holding %d idle screens, %d stream(s) per "
                "connection; %ld cores\n\n",
                screens, perConnection, sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("| figure | with the screens | the server alone (floor) |\n|---|---|---|\n");
    std::printf("| resident memory | %.1f MiB | %.1f MiB |\n", idleEnd.rssMiB, bare.rssMiB);
    std::printf("| descriptors | %d | %d |\n", idleEnd.descriptors, bare.descriptors);
    std::printf("| CPU while idle (heartbeats) | %.1f ms per second | - |\n",
                idleCpuPerSecond * 1000);
    std::printf("| CPU per change fanned out to every screen | %.1f ms (%.2f us a screen) | "
                "the idle CPU of the same time subtracted |\n",
                cpuPerChange * 1000, cpuPerChange * 1e6 / screens);
    std::printf("| a commit reaching the last screen | %.0f ms (median of %d) | SQLite polled "
                "every 50 ms |\n",
                median(fanOut), changes);
    std::printf("\nall screens connected and past their first notice in %.1f s\n", connectSeconds);

    for (auto &stream : streams)
        stream->context.TryCancel();
    while (ended.load() < screens)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    queue.Shutdown();
    pump.join();
    return 0;
}
