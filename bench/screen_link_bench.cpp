// The real closing position screen against the real application server
// (ate-appserver, one day of demo data, branch GRU) over a slow link: a
// loopback proxy that delays each direction, at 50 ms and 200 ms round
// trip, every figure beside the same figure on the direct link, measured in
// the same run, round by round:
//   - a Down key on the flight plans: the time until the new flight's
//     forecast and services are shown;
//   - ten Down keys 33 ms apart, as a held key repeats: how long after the
//     last one the screen has caught up;
//   - how long the user-interface thread is blocked by the refresh tick and
//     by F5, on an unchanged day and after a write to one flight;
//   - the calls of a tick, and what an idle screen costs the server per
//     hour at its refresh period;
//   - the bytes of a tick each way, counted by the proxy.
//
//   screen_link_bench [--rounds N (8)]

#include "bench/await_notice.h"
#include "host/application.h"
#include "host/dialogs.h"
#include "host/host_context.h"
#include "host/net/net_connection.h"
#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/field.h"
#include "platform/screen.h"
#include "screen/cli_ate25400.h"
#include "screen/frm_pos_fec_dia_pla_voo.h"
#include "server/db/database.h"
#include "testing/net/delay_proxy.h"
#include "testing/pg/pg_cluster.h"
#include "testing/server/app_server_process.h"
#include "testing/server/demo_server.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSpinBox>
#include <QTest>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using Cli_ate25400::TfrmPosFecDiaPlaVoo;

namespace {

void check(bool ok, const std::string &what)
{
    if (!ok) {
        std::fprintf(stderr, "screen_link_bench: %s\n", what.c_str());
        std::exit(1);
    }
}

class NoDialogs : public host::Dialogs
{
protected:
    void showMessage(host::MessageKind, const QString &text) override
    {
        check(false, "the screen showed a message: " + text.toStdString());
    }
    std::optional<QStringList> showListPicker(const host::ListPickRequest &) override
    {
        return std::nullopt;
    }
    std::optional<int> showLookup(const host::LookupRequest &) override { return std::nullopt; }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double msSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

struct Link
{
    explicit Link(const char *linkName)
        : name(linkName)
    {
    }

    const char *name;
    int port = 0;
    std::unique_ptr<host::testing::DelayProxy> proxy;
    std::vector<double> keyToDetails, heldKeySettle, tickUnchanged, tickWritten, f5Unchanged,
        f5Written, commitToScreen;
    int staleTicks = 0;
    int heldKeyCalls = 0;
    int f5Calls = 0;
    double floor = 0; // ms
};

class Bench
{
public:
    explicit Bench(const QString &serverDatabase)
        : m_writer(openWriter(serverDatabase))
    {
    }

    void openScreen(int port);
    void closeScreen();
    void useLink(const Link &link);
    void round(Link &link, bool heldKey);
    void settle();
    double bareCall(int port);
    std::uint64_t prefetchedBytes() const { return m_form->netPosFDiPlav->prefetchedBytes(); }
    int callsOfTick();
    void bytesOfTick(host::testing::DelayProxy &proxy, std::uint64_t *up, std::uint64_t *down);
    int refreshSeconds() const { return m_form->speAtualiza->value(); }

private:
    static std::unique_ptr<appserver::Connection> openWriter(const QString &path)
    {
        auto db = appserver::openConnection(
            appserver::DatabaseTarget::parse(path.toStdString(), appserver::Access::ReadWrite));
        check(db.ok(), "cannot open the server's database to write");
        return std::move(*db);
    }
    std::string writeOneFlight();
    double awaitNotice();
    bool shows(const std::string &situation) const;
    int countCalls(const std::function<void()> &work);
    double timed(const std::function<void()> &work)
    {
        QElapsedTimer clock;
        clock.start();
        work();
        return msSince(clock);
    }
    void tick()
    {
        QMetaObject::invokeMethod(m_form->timAtualizacaoPv, "timeout");
        QCoreApplication::sendPostedEvents();
    }
    void f5()
    {
        platform::guarded([this] { m_form->sbtVerificarClick(m_form); });
        QCoreApplication::sendPostedEvents();
    }
    void press(int key) { QTest::keyClick(m_form->dbgPlanoVoo, Qt::Key(key)); }
    double heldKey(int *calls);

    std::unique_ptr<appserver::Connection> m_writer;
    QMainWindow m_window;
    QMdiArea *m_area = nullptr;
    TfrmPosFecDiaPlaVoo *m_form = nullptr;
    int m_writes = 0;
};

void Bench::openScreen(int port)
{
    m_area = new QMdiArea;
    m_window.setCentralWidget(m_area);
    m_window.resize(1280, 1000);
    host::setMainWindow(&m_window);
    m_window.show();
    m_window.activateWindow();
    check(QTest::qWaitForWindowActive(&m_window), "window not active");
    host::context().setServerPort(port);
    platform::guarded([] { Cli_ate25400::IniProc(); });
    m_form = Cli_ate25400::frmPosFecDiaPlaVoo;
    check(m_form && QTest::qWaitFor([&] { return !Cli_ate25400::boPrimVez; }, 20000),
          "the screen did not finish its first load");
    m_form->setFormWindowState(Qt::WindowMaximized);
    // The bench ticks by itself.
    m_form->timAtualizacaoPv->stop();
    m_form->dbgPlanoVoo->setFocus();
    check(m_form->cdsPlanoVoo->recordCount() > 40, "too few flights on the demo day");
}

void Bench::closeScreen()
{
    if (QMdiSubWindow *window = m_form->subWindow())
        delete window;
    m_form = nullptr;
}

// The next call connects to the link's port.
void Bench::useLink(const Link &link)
{
    host::context().setServerPort(link.port);
    m_form->netPosFDiPlav->disconnect();
    tick();
    m_form->timAtualizacaoPv->stop();
}

// Calls that went to the server (not those the connection answered from
// what it held).
int Bench::countCalls(const std::function<void()> &work)
{
    const int before = m_form->netPosFDiPlav->serverCallCount();
    work();
    return m_form->netPosFDiPlav->serverCallCount() - before;
}

// How long after the commit the screen's connection heard of it; 0 when it
// has no change feed (it then reads everything from the server anyway).
double Bench::awaitNotice()
{
    const std::optional<double> took = bench::awaitNotice(*m_form->netPosFDiPlav);
    check(took.has_value(), "the write never reached the screen");
    return *took;
}

bool Bench::shows(const std::string &situation) const
{
    return m_form->cdsPlanoVoo->fieldByName(QStringLiteral("IDSITABASPV")).asString().toStdString()
           == situation;
}

int Bench::callsOfTick()
{
    return countCalls([this] { tick(); });
}

void Bench::bytesOfTick(host::testing::DelayProxy &proxy, std::uint64_t *up, std::uint64_t *down)
{
    const std::uint64_t up0 = proxy.bytesToServer(), down0 = proxy.bytesToClient();
    tick();
    // The proxy forwards on its own thread; its count settles once the
    // tick's replies have come, which they have when tick() returns.
    *up = proxy.bytesToServer() - up0;
    *down = proxy.bytesToClient() - down0;
}

// Flips the situation of the selected flight, as a colleague attending it
// would.
std::string Bench::writeOneFlight()
{
    const platform::ClientDataSet &set = *m_form->cdsPlanoVoo;
    auto update = m_writer->prepare(
        "UPDATE PLANOVOO SET IDSITABASPV = ? WHERE CDFILIAL = ? AND CDCIA = ? AND NRVOO = ? "
        "AND CDTRECHO = ?");
    check(update.ok(), "prepare update");
    appserver::StatementRun run(**update);
    const auto text = [&](const char *name) {
        return set.fieldByName(QLatin1String(name)).asString().toStdString();
    };
    const std::string situation = (++m_writes % 2) ? "2" : "1";
    run->bindText(0, situation);
    run->bindText(1, text("CDFILIAL"));
    run->bindText(2, text("CDCIA"));
    run->bindText(3, text("NRVOO"));
    run->bindText(4, text("CDTRECHO"));
    check(run->step().ok(), "update failed");
    return situation;
}

// Ten Down keys posted 33 ms apart from another thread, as the window
// system delivers a held key's repeats whatever the screen is doing: how
// long after the last one the screen shows the flight it leads to.
double Bench::heldKey(int *calls)
{
    const int from = m_form->cdsPlanoVoo->recNo();
    QElapsedTimer clock;
    std::atomic<qint64> lastPostedNs{0};
    std::atomic<bool> posted{false};
    QWidget *grid = m_form->dbgPlanoVoo;
    *calls = countCalls([&] {
        clock.start();
        std::thread repeater([&] {
            for (int i = 0; i < 10; ++i) {
                const auto at = std::chrono::nanoseconds(std::int64_t(i) * 33'000'000);
                while (std::chrono::nanoseconds(clock.nsecsElapsed()) < at)
                    std::this_thread::yield();
                QCoreApplication::postEvent(
                    grid, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
                lastPostedNs = clock.nsecsElapsed();
            }
            posted = true;
        });
        while (!(posted && m_form->cdsPlanoVoo->recNo() == from + 10))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        repeater.join();
    });
    const double settled = double(clock.nsecsElapsed() - lastPostedNs) / 1e6;
    // Back where it started, off the clock.
    for (int i = 0; i < 10; ++i)
        press(Qt::Key_Up);
    return settled;
}

// The median of a few calls the connection cannot hold.
double Bench::bareCall(int port)
{
    host::TNetConnection connection;
    host::ConnectionOptions options = connection.options();
    options.followChanges = false;
    connection.setOptions(options);
    connection.setServerName(QStringLiteral("Ate25400.rdmPosFDiPlav"));
    connection.SetHost(QStringLiteral("127.0.0.1"));
    connection.setPort(port);
    std::vector<double> times;
    for (int i = 0; i < 8; ++i) {
        times.push_back(timed([&] {
            check(connection.appServer()
                      .invoke(QStringLiteral("GetCia"), {QStringLiteral("GRU")})
                      .ok(),
                  "a bare call failed");
        }));
    }
    times.erase(times.begin()); // the first one connects
    return median(times);
}

// Until the flights around the cursor are read ahead, as they are a few
// round trips after a load.
void Bench::settle()
{
    host::TNetConnection *connection = m_form->netPosFDiPlav;
    if (connection->feedStatus().state == host::FeedStatus::State::Off)
        return;
    check(QTest::qWaitFor([&] { return connection->prefetchSettled(); }, 20000),
          "the reading ahead never settled");
}

void Bench::round(Link &link, bool withHeldKey)
{
    useLink(link);
    settle();
    link.keyToDetails.push_back(timed([this] { press(Qt::Key_Down); }));
    link.keyToDetails.push_back(timed([this] { press(Qt::Key_Up); }));
    link.tickUnchanged.push_back(timed([this] { tick(); }));
    // A colleague's write, once the screen's connection has heard of it
    // (at once without a feed): the tick must show it.
    std::string written = writeOneFlight();
    link.commitToScreen.push_back(awaitNotice());
    link.tickWritten.push_back(timed([this] { tick(); }));
    link.staleTicks += shows(written) ? 0 : 1;
    link.f5Calls = countCalls([&] { link.f5Unchanged.push_back(timed([this] { f5(); })); });
    written = writeOneFlight();
    (void)awaitNotice();
    link.f5Written.push_back(timed([this] { f5(); }));
    link.staleTicks += shows(written) ? 0 : 1;
    if (withHeldKey)
        link.heldKeySettle.push_back(heldKey(&link.heldKeyCalls));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rounds = 8;
    bool postgres = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--postgresql") {
            postgres = true;
        } else {
            std::printf("Usage: screen_link_bench [--rounds N (8)] [--postgresql (a throwaway "
                        "cluster instead of SQLite)]\n");
            return arg == "--help" ? 0 : 2;
        }
    }

    // The SQLite demo brings the host's local database (branch names) too;
    // with --postgresql the screen reads from a server on a throwaway
    // cluster with the same day.
    host::testing::DemoServer sqliteServer;
    const QString failure = sqliteServer.start(QDate::currentDate(), 25400);
    check(failure.isEmpty(), failure.toStdString());
    appserver::testing::ThrowawayCluster cluster;
    host::testing::DemoServer pgServer;
    QString serverDatabase = sqliteServer.serverDatabase();
    if (postgres) {
        const QString noCluster =
            host::testing::startDemoCluster(cluster, QDate::currentDate(), &serverDatabase);
        check(noCluster.isEmpty(), noCluster.toStdString());
        const QString notServed = pgServer.serve(serverDatabase);
        check(notServed.isEmpty(), notServed.toStdString());
    }
    host::testing::DemoServer &server = postgres ? pgServer : sqliteServer;
    NoDialogs dialogs;
    host::setDialogs(&dialogs);
    platform::setScreenSizeOverride(QSize(1280, 1024));
    host::Context &context = host::context();
    context.setBranchCode(QStringLiteral("GRU"));
    context.setBranchName(QStringLiteral("Guarulhos"));
    context.setModuleBoundToBranch(false);
    context.setServerHost(QStringLiteral("127.0.0.1"));
    host::DatabaseSettings local;
    local.driver = host::DatabaseSettings::Driver::Sqlite;
    local.sqlitePath = sqliteServer.localDatabase();
    context.setDatabase(local);
    Cli_ate25400::initialization();

    Link links[3] = {Link("direct"), Link("50 ms"), Link("200 ms")};
    links[0].port = server.port();
    for (auto [link, oneWayMs] : {std::pair{&links[1], 25}, std::pair{&links[2], 100}}) {
        link->proxy = std::make_unique<host::testing::DelayProxy>(
            server.port(), std::chrono::milliseconds(oneWayMs));
        link->port = link->proxy->port();
        check(link->port > 0, "the proxy cannot listen");
    }
    host::testing::DelayProxy counter(server.port(), std::chrono::microseconds(0));
    check(counter.port() > 0, "the counting proxy cannot listen");

    Bench bench(serverDatabase);
    // The floor of each link: a call that nothing can hold (a connection
    // that does not follow the changes), its round trip and the server's
    // work.
    for (Link &link : links)
        link.floor = bench.bareCall(link.port);
    bench.openScreen(server.port());
    // Warm: each link connected and its replies seen once.
    for (Link &link : links)
        bench.round(link, false);
    for (Link &link : links) {
        link.keyToDetails.clear();
        link.tickUnchanged.clear();
        link.tickWritten.clear();
        link.f5Unchanged.clear();
        link.f5Written.clear();
        link.commitToScreen.clear();
        link.staleTicks = 0;
    }
    for (int r = 0; r < rounds; ++r) {
        for (Link &link : links)
            bench.round(link, r < 3);
    }
    Link counted("counted");
    counted.port = counter.port();
    bench.useLink(counted);
    // A load's reading ahead, then a tick once it has settled.
    bench.settle();
    const std::uint64_t readAhead = bench.prefetchedBytes();
    const int tickCalls = bench.callsOfTick();
    std::uint64_t up = 0, down = 0;
    bench.bytesOfTick(counter, &up, &down);
    const int period = bench.refreshSeconds();
    bench.closeScreen();

    std::printf("real screen, real ate-appserver on %s, demo day %s, branch GRU; %d rounds, "
                "links interleaved in each; %ld cores\n\n",
                postgres ? "PostgreSQL" : "SQLite",
                qPrintable(QDate::currentDate().toString(Qt::ISODate)), rounds,
                sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("| link (round trip) | key to details | held key: settles after the last press "
                "(server calls) | tick unchanged | tick after a write | F5 unchanged (server "
                "calls) | F5 after a write | a commit reaching the screen | stale after a write "
                "|\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    for (Link &link : links) {
        std::printf("| %s | %.1f ms | %.0f ms (%d) | %.1f ms | %.1f ms | %.1f ms (%d) | %.1f ms "
                    "| %.0f ms | %d |\n",
                    link.name, median(link.keyToDetails), median(link.heldKeySettle),
                    link.heldKeyCalls, median(link.tickUnchanged), median(link.tickWritten),
                    median(link.f5Unchanged), link.f5Calls, median(link.f5Written),
                    median(link.commitToScreen), link.staleTicks);
    }
    std::printf("\nmedians; every figure blocks the user-interface thread for its whole "
                "length (the calls are synchronous); \"stale\": ticks and F5 after a write "
                "that did not show it\n");

    // Each target beside the link's floor, measured in the same run.
    std::printf("\n| target | %s | %s |\n|---|---|---|\n", links[1].name, links[2].name);
    const auto row = [&](const char *target, auto figure, auto limit) {
        std::printf("| %s |", target);
        for (Link *link : {&links[1], &links[2]}) {
            const double value = figure(*link), bound = limit(*link);
            std::printf(" %.1f ms of %.1f: %s |", value, bound, value <= bound ? "met" : "MISSED");
        }
        std::printf("\n");
    };
    const auto fixed = [](double ms) { return [ms](const Link &) { return ms; }; };
    row(
        "a move to held or prefetched details <= 16 ms",
        [](const Link &l) { return median(l.keyToDetails); }, fixed(16));
    row(
        "ten held-key moves settled <= 50 ms",
        [](const Link &l) { return median(l.heldKeySettle); }, fixed(50));
    row(
        "a tick on an unchanged day <= 16 ms",
        [](const Link &l) { return median(l.tickUnchanged); }, fixed(16));
    row(
        "F5 on an unchanged day <= 16 ms", [](const Link &l) { return median(l.f5Unchanged); },
        fixed(16));
    row(
        "a tick after a write <= the floor (a bare call) + 16 ms",
        [](const Link &l) { return median(l.tickWritten); },
        [](const Link &l) { return l.floor + 16; });
    if (postgres)
        row(
            "a commit reaching the screen <= the floor + 100 ms",
            [](const Link &l) { return median(l.commitToScreen); },
            [](const Link &l) { return l.floor + 100; });
    else
        row(
            "a commit reaching the screen <= 1 s",
            [](const Link &l) { return median(l.commitToScreen); }, fixed(1000));
    std::printf("\nfloors (a bare call, nothing held): direct %.1f ms, %s %.1f ms, %s %.1f ms\n",
                links[0].floor, links[1].name, links[1].floor, links[2].name, links[2].floor);
    std::printf(
        "a tick: %d server calls, %llu bytes to the server and %llu bytes back (counted on a "
        "proxy without delay)\n",
        tickCalls, static_cast<unsigned long long>(up), static_cast<unsigned long long>(down));
    std::printf("reading ahead after a load (the day and the details of 16 flights each side "
                "of the cursor): %llu bytes back\n",
                static_cast<unsigned long long>(readAhead));
    std::printf("an idle screen, refreshing every %d s: %d server calls per hour\n", period,
                period > 0 ? tickCalls * 3600 / period : 0);
    host::setDialogs(nullptr);
    host::setMainWindow(nullptr);
    return 0;
}
