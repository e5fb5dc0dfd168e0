// One refresh tick of the real closing position screen against the real
// application server (ate-appserver) on loopback: the eight calls, the
// packets loaded into the record sets, the locate of the kept flight and the
// repaint that follows: whatever the tick left to repaint in the three
// grids, painted at once, as the event loop would paint it (the table says
// how many grid viewports that was per tick). Each tick is interleaved with its floor,
// measured on the same channel in the same run: eight bare round trips (an
// empty call) plus the bare SQL of GetPlanoVoo for that day. Beside them, the
// tick's own eight calls made bare on a channel of their own (the same
// requests, each reply parsed and nothing more): the tick less those calls
// is what the client adds (converting, loading, locating, repainting).
//
//   screen_tick_bench [--ticks N (500)] [--long N (1000)]
//
// SQLite always, in a temporary folder; PostgreSQL too when ATE_BENCH_PG
// names a database (libpq connection string) whose tables may be replaced.

#include "bench/await_notice.h"
#include "bench/bare_query.h"
#include "host/dialogs.h"
#include "host/host_context.h"
#include "host/net/net_connection.h"
#include "host/net/wire_values.h"
#include "proto/appserver.grpc.pb.h"
#include "screen/cli_ate25400.h"
#include "screen/frm_pos_fec_dia_pla_voo.h"
#include "server/db/sql_time.h"
#include "server/demo/demo_data.h"
#include "server/module/queries.h"
#include "testing/server/demo_server.h"

#include "host/application.h"
#include "host/date_edit_plus.h"
#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/data_packet.h"
#include "platform/field.h"
#include "platform/screen.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>

#include <grpcpp/grpcpp.h>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace appserver;
using Cli_ate25400::TfrmPosFecDiaPlaVoo;

namespace {

void check(bool ok, const std::string &what)
{
    if (!ok) {
        std::fprintf(stderr, "screen_tick_bench: %s\n", what.c_str());
        std::exit(1);
    }
}

// A message box would wait for a user who is not there: any message ends
// the run.
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

// Counts the paint events of the viewports it watches.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

struct Stats
{
    double p50 = 0;
    double p99 = 0;
};

Stats stats(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 99 / 100)]};
}

double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

std::size_t heapInUse()
{
    return mallinfo2().uordblks;
}

QDateTime civil(std::int64_t day)
{
    return platform::civilDateTime(QDate(1899, 12, 30).addDays(day / kMsecsPerDay));
}

// The bare query: the same SQL, every column of every row read.
std::uint32_t bareQuery(Connection &db, const std::string &sql, std::int64_t day)
{
    const std::optional<std::uint32_t> rows =
        bench::bareQuery(db, sql, {"GRU", planoVooDay(day)}, {});
    check(rows.has_value(), "bare query failed");
    return *rows;
}

// The eight calls of one tick, as the screen makes them, on a channel of
// their own: the flight plans; the forecast and services of the first
// flight, which the load makes current, twice more the services and once
// more the forecast, as the retrieval reads them again; then the forecast
// and services of the kept flight that the locate goes back to.
class TickCalls
{
public:
    explicit TickCalls(int port)
    {
        grpc::ChannelArguments arguments;
        arguments.SetMaxReceiveMessageSize(64 << 20);
        m_stub = ate::appserver::v1::AppServer::NewStub(grpc::CreateCustomChannel(
            "127.0.0.1:" + std::to_string(port), grpc::InsecureChannelCredentials(), arguments));
    }

    void prepare(const TfrmPosFecDiaPlaVoo &form, int keptRow)
    {
        const platform::ClientDataSet &plans = *form.cdsPlanoVoo;
        const auto keys = [&](int row) {
            const auto text = [&](const char *name) {
                return QVariant(plans.fieldByName(QLatin1String(name)).asStringAt(row));
            };
            return QVariantList{
                text("CDCIA"), text("CDFILIAL"), text("NRVOO"), text("CDTRECHO"),
                plans.fieldByName(QStringLiteral("DTHRPLAVOOPV")).asDateTimeAt(row)};
        };
        m_requests.clear();
        add("GetPlanoVoo", {QString(), QStringLiteral("T"), form.depVoo->GetDate(),
                            plans.fieldByName(QStringLiteral("CDFILIAL")).asStringAt(0)});
        for (const char *method :
             {"GetPrevPax", "GetServPlano", "GetPrevPax", "GetServPlano", "GetServPlano"})
            add(method, keys(0));
        add("GetPrevPax", keys(keptRow));
        add("GetServPlano", keys(keptRow));
    }

    void run()
    {
        for (const ate::appserver::v1::CallRequest &request : m_requests) {
            grpc::ClientContext context;
            context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(5));
            ate::appserver::v1::CallReply reply;
            check(m_stub->Call(&context, request, &reply).ok() && reply.has_packet(),
                  "a bare tick call failed");
        }
    }

private:
    void add(const char *method, const QVariantList &values)
    {
        ate::appserver::v1::CallRequest &request = m_requests.emplace_back();
        request.set_module("Ate25400.rdmPosFDiPlav");
        request.set_method(method);
        for (const QVariant &value : values)
            check(host::toWireValue(value, request.add_arguments()->mutable_value()),
                  "argument not sendable");
    }

    std::unique_ptr<ate::appserver::v1::AppServer::Stub> m_stub;
    std::vector<ate::appserver::v1::CallRequest> m_requests;
};

struct Database
{
    const char *name;
    DatabaseTarget target;
    QString served; // what the server is started with
};

class Bench
{
public:
    Bench(int ticks, int longRun)
        : m_ticks(ticks)
        , m_longRun(longRun)
    {
    }

    void run(const Database &database, bool first);
    // After the tables, one block per database.
    void printAllTargets()
    {
        for (const auto &print : m_targets)
            print();
    }

private:
    TfrmPosFecDiaPlaVoo *openScreen(int port);
    void closeScreen();
    void tick();
    // Times the eight empty calls and the bare SQL apart.
    void floor(Connection &db, std::int64_t day, double *roundTripsMs = nullptr,
               double *sqlMs = nullptr);

public:
    struct Figures
    {
        double tick = 0;       // p50, ms
        double roundTrips = 0; // eight bare round trips, p50
        double sql = 0;        // bare GetPlanoVoo SQL, p50
    };

private:
    Figures scenario(const Database &database, Connection &db, std::int64_t day, int flights,
                     bool written, TickCalls &bare);
    void writeOneFlight(Connection &db);
    void awaitNotice();

    int m_ticks;
    int m_longRun;
    QMainWindow m_window;
    QMdiArea *m_area = nullptr;
    TfrmPosFecDiaPlaVoo *m_form = nullptr;
    int m_writes = 0;
    std::unique_ptr<host::TNetConnection> m_bareConnection;
    PaintCounter m_paints;
    std::vector<std::function<void()>> m_targets;
};

TfrmPosFecDiaPlaVoo *Bench::openScreen(int port)
{
    if (!m_area) {
        m_area = new QMdiArea;
        m_window.setCentralWidget(m_area);
        m_window.resize(1280, 1000);
        host::setMainWindow(&m_window);
        m_window.show();
        m_window.activateWindow();
        check(QTest::qWaitForWindowActive(&m_window), "window not active");
    }
    host::context().setServerPort(port);
    // The floor's empty calls go to the server whatever the screen's
    // connection holds: on its channel when it holds nothing, otherwise on
    // a connection that does not follow the changes.
    m_bareConnection.reset();
    if (host::TNetConnection::defaultOptions().followChanges) {
        m_bareConnection = std::make_unique<host::TNetConnection>();
        host::ConnectionOptions options = m_bareConnection->options();
        options.followChanges = false;
        m_bareConnection->setOptions(options);
        m_bareConnection->setServerName(QStringLiteral("Ate25400.rdmPosFDiPlav"));
        m_bareConnection->SetHost(QStringLiteral("127.0.0.1"));
        m_bareConnection->setPort(port);
    }
    platform::guarded([] { Cli_ate25400::IniProc(); });
    m_form = Cli_ate25400::frmPosFecDiaPlaVoo;
    check(m_form && QTest::qWaitFor([&] { return !Cli_ate25400::boPrimVez; }, 10000),
          "the screen did not finish its first load");
    m_form->setFormWindowState(Qt::WindowMaximized);
    // The bench ticks by itself.
    m_form->timAtualizacaoPv->stop();
    for (QAbstractScrollArea *grid : std::initializer_list<QAbstractScrollArea *>{
             m_form->dbgPlanoVoo, m_form->dbgPrevisaoPax, m_form->dbgServPlano})
        grid->viewport()->installEventFilter(&m_paints);
    return m_form;
}

void Bench::closeScreen()
{
    if (QMdiSubWindow *window = m_form->subWindow())
        delete window;
    m_form = nullptr;
}

// What the timer's tick does, then the repaint the user sees: the posted
// events, handled now instead of at the next turns of the loop (the grids
// settle what changed, then the update requests paint it).
void Bench::tick()
{
    QMetaObject::invokeMethod(m_form->timAtualizacaoPv, "timeout");
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
}

void Bench::floor(Connection &db, std::int64_t day, double *roundTripsMs, double *sqlMs)
{
    QElapsedTimer clock;
    clock.start();
    host::AppServer &server =
        (m_bareConnection ? m_bareConnection.get() : m_form->netPosFDiPlav)->appServer();
    for (int i = 0; i < 8; ++i)
        check(server.invoke(QStringLiteral("GetCia"), {QString()}).ok(), "empty call failed");
    if (roundTripsMs)
        *roundTripsMs = double(clock.nsecsElapsed()) / 1e6;
    clock.start();
    static const std::string sql[] = {planoVooSql(Dialect::SQLite, 0),
                                      planoVooSql(Dialect::PostgreSQL, 0)};
    check(bareQuery(db, sql[db.dialect() == Dialect::SQLite ? 0 : 1], day) > 0,
          "bare SQL found no flight");
    if (sqlMs)
        *sqlMs = double(clock.nsecsElapsed()) / 1e6;
}

// Until the screen's connection has heard of the write (at once when it
// follows no changes): the tick after it must show the write.
void Bench::awaitNotice()
{
    check(bench::awaitNotice(*m_form->netPosFDiPlav).has_value(),
          "the write never reached the screen");
}

// Flips the situation of the first flight of the day on display, as a
// supervisor's colleague attending it would.
void Bench::writeOneFlight(Connection &db)
{
    const platform::ClientDataSet &set = *m_form->cdsPlanoVoo;
    Result<Statement *> update = db.prepare(
        "UPDATE PLANOVOO SET IDSITABASPV = ? WHERE CDFILIAL = ? AND CDCIA = ? AND NRVOO = ? "
        "AND CDTRECHO = ? AND DTHRPLAVOOPV = ?");
    check(update.ok(), "prepare update");
    StatementRun run(**update);
    const auto text = [&](const char *name) {
        return set.fieldByName(QLatin1String(name)).asStringAt(0).toStdString();
    };
    const QDateTime when = set.fieldByName(QStringLiteral("DTHRPLAVOOPV")).asDateTimeAt(0);
    const std::int64_t msecs = QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC).msecsTo(when);
    run->bindText(0, (++m_writes % 2) ? "2" : "1");
    run->bindText(1, text("CDFILIAL"));
    run->bindText(2, text("CDCIA"));
    run->bindText(3, text("NRVOO"));
    run->bindText(4, text("CDTRECHO"));
    run->bindDateTime(5, msecs);
    check(run->step().ok(), "update failed");
}

Bench::Figures Bench::scenario(const Database &database, Connection &db, std::int64_t day,
                               int flights, bool written, TickCalls &bare)
{
    m_form->depVoo->SetDate(civil(day));
    platform::guarded([this] { m_form->sbtVerificarClick(m_form); });
    check(m_form->cdsPlanoVoo->recordCount() == flights, "unexpected flight count");
    // A flight in the middle of the list is the supervisor's.
    m_form->cdsPlanoVoo->setRecNo(flights / 2);
    const QString kept = m_form->cdsPlanoVoo->fieldByName(QStringLiteral("NRVOO")).asString();
    bare.prepare(*m_form, flights / 2);
    int calls = 0;
    const QMetaObject::Connection counting = QObject::connect(
        m_form->netPosFDiPlav, &host::TNetConnection::callFinished, [&calls] { ++calls; });
    tick();
    QObject::disconnect(counting);
    check(calls == 8, "a tick made " + std::to_string(calls) + " calls, not the 8 measured bare");

    for (int i = 0; i < 20; ++i) {
        tick();
        floor(db, day);
        bare.run();
    }
    std::vector<double> ticks, floors, bareTicks, clientShares, roundTrips, sqls;
    const int paintsBefore = m_paints.paints;
    QElapsedTimer clock;
    for (int i = 0; i < m_ticks; ++i) {
        // A write before the bare calls too, so that they meet the same
        // server work as the tick.
        if (written) {
            writeOneFlight(db);
            awaitNotice();
        }
        clock.start();
        tick();
        ticks.push_back(double(clock.nsecsElapsed()) / 1e6);
        double roundTripMs = 0, sqlMs = 0;
        floor(db, day, &roundTripMs, &sqlMs);
        floors.push_back(roundTripMs + sqlMs);
        roundTrips.push_back(roundTripMs);
        sqls.push_back(sqlMs);
        if (written)
            writeOneFlight(db);
        clock.start();
        bare.run();
        bareTicks.push_back(double(clock.nsecsElapsed()) / 1e6);
        clientShares.push_back(ticks.back() - bareTicks.back());
    }
    check(m_form->cdsPlanoVoo->recNo() == flights / 2
              && m_form->cdsPlanoVoo->fieldByName(QStringLiteral("NRVOO")).asString() == kept,
          "the tick lost the selected flight");
    const double paintsPerTick = double(m_paints.paints - paintsBefore) / m_ticks;
    const Stats tick = stats(ticks), base = stats(floors), calls8 = stats(bareTicks),
                client = stats(clientShares);
    std::printf("| %-10s | %7d | %-9s | %8.2f | %8.2f | %9.2f | %9.2f | %5.2f | %10.2f | %9.2f | "
                "%9.2f | %6.2f |\n",
                database.name, flights, written ? "written" : "unchanged", tick.p50, tick.p99,
                base.p50, base.p99, tick.p50 / base.p50, calls8.p50, client.p50, client.p99,
                paintsPerTick);
    std::fflush(stdout);
    return {tick.p50, stats(roundTrips).p50, stats(sqls).p50};
}

namespace {

void target(const char *what, double value, double limit, const char *floorText)
{
    std::printf("  %-58s %8.2f ms <= %-40s %8.2f ms  %s\n", what, value, floorText, limit,
                value <= limit ? "met" : "MISSED");
}

void printTargets(const char *database, const Bench::Figures &unchanged2000,
                  const Bench::Figures &written2000, const Bench::Figures &unchanged4000,
                  const Bench::Figures &written4000)
{
    std::printf("\ntargets, %s (floors measured in the same run, interleaved):\n", database);
    target("tick p50, unchanged 2,000-flight day", unchanged2000.tick, 2 * unchanged2000.roundTrips,
           "2 x eight bare round trips");
    target("tick p50 after a write, 2,000 flights", written2000.tick,
           1.3 * (written2000.roundTrips + written2000.sql),
           "1.3 x (eight round trips + bare SQL)");
    target("tick p50 after a write, 4,000 flights", written4000.tick, 2.1 * written2000.tick,
           "2.1 x the same with 2,000");
    target("tick p50, unchanged 4,000-flight day", unchanged4000.tick, 2.1 * unchanged2000.tick,
           "2.1 x the same with 2,000");
    std::printf("\n");
}

} // namespace

void Bench::run(const Database &database, bool first)
{
    const std::int64_t today = demo::localToday();
    // Busy days of one branch away from the demo day, so each holds exactly
    // its flights.
    const std::int64_t day2000 = today + 3 * kMsecsPerDay;
    const std::int64_t day4000 = today + 4 * kMsecsPerDay;
    auto db = openConnection(database.target);
    check(db.ok(), std::string("cannot open the ") + database.name + " database");
    check(demo::writeServerData(**db, {today, 1, 25400}).ok(), "demo data");
    check(demo::addFlightPlans(**db, "GRU", day2000, 2000, 4, 1).ok(), "2,000 flights");
    check(demo::addFlightPlans(**db, "GRU", day4000, 4000, 4, 2).ok(), "4,000 flights");
    // The tables as autovacuum leaves them, not with the dead rows of the
    // last run's load, so that it does not run in the middle of this one.
    if ((*db)->dialect() == Dialect::PostgreSQL)
        check((*db)->execute("VACUUM ANALYZE").ok(), "vacuum");

    host::testing::DemoServer server;
    const QString failure = server.serve(database.served);
    check(failure.isEmpty(), failure.toStdString());
    openScreen(server.port());

    if (first) {
        m_form->depVoo->SetDate(civil(day2000));
        platform::guarded([this] { m_form->sbtVerificarClick(m_form); });
        m_form->cdsPlanoVoo->setRecNo(1000);
        tick();
        const double rssFirst = residentMiB();
        const std::size_t heap2000 = heapInUse();
        for (int i = 0; i < m_longRun; ++i)
            tick();
        const double rssLong = residentMiB();
        m_form->depVoo->SetDate(civil(day4000));
        platform::guarded([this] { m_form->sbtVerificarClick(m_form); });
        const std::size_t heap4000 = heapInUse();
        std::printf("host RSS after the first tick %.1f MiB, after %d more ticks %.1f MiB\n",
                    rssFirst, m_longRun, rssLong);
        std::printf("flight-plan set and the connection's kept replies: %.0f bytes of heap per "
                    "flight row (4,000-row day less 2,000-row day, over 2,000 rows; the 2,000-row "
                    "day's reply is still kept beside the 4,000-row one)\n\n",
                    double(std::int64_t(heap4000) - std::int64_t(heap2000)) / 2000.0);
        std::printf("client = tick less the same 8 calls made bare (per round, p50 and p99 of "
                    "the differences); paints = grid viewports repainted per tick\n\n");
        std::printf("| database   | flights | day       | tick p50 | tick p99 | floor p50 | "
                    "floor p99 | ratio | calls p50  | client p50 | client p99 | paints |\n");
        std::printf("|------------|---------|-----------|----------|----------|-----------|"
                    "-----------|-------|------------|-----------|-----------|--------|\n");
    }
    TickCalls bare(server.port());
    Figures figures[4];
    int n = 0;
    for (const auto &[day, flights] : {std::pair{day2000, 2000}, std::pair{day4000, 4000}}) {
        figures[n++] = scenario(database, **db, day, flights, false, bare);
        figures[n++] = scenario(database, **db, day, flights, true, bare);
    }
    m_targets.push_back([=, name = database.name] {
        printTargets(name, figures[0], figures[1], figures[2], figures[3]);
    });
    closeScreen();
    server.stop();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int ticks = 500, longRun = 1000;
    bool followChanges = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--ticks" || arg == "--long") && i + 1 < argc) {
            (arg == "--ticks" ? ticks : longRun) = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--follow-changes") {
            followChanges = true;
        } else {
            std::printf("Usage: screen_tick_bench [--ticks N (500)] [--long N (1000)] "
                        "[--follow-changes]\n"
                        "PostgreSQL as well when ATE_BENCH_PG names a database whose tables "
                        "may be replaced.\n");
            return arg == "--help" ? 0 : 2;
        }
    }

    QTemporaryDir folder;
    check(folder.isValid(), "no temporary folder");
    const QString serverDb = folder.filePath(QStringLiteral("server.db"));
    const QString localDb = folder.filePath(QStringLiteral("local.db"));
    {
        auto local = openConnection(DatabaseTarget::parse(localDb.toStdString(), Access::Create));
        check(local.ok() && demo::writeLocalBranches(**local).ok(), "local database");
    }
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
    local.sqlitePath = localDb;
    context.setDatabase(local);
    Cli_ate25400::initialization();

    // Every tick through the server, by default: what it costs when the
    // day is read (screen_link_bench measures the replies held while the
    // server's change feed vouches for them). With --follow-changes the
    // ticks of an unchanged day are answered from what is held.
    host::ConnectionOptions connectionOptions = host::TNetConnection::defaultOptions();
    connectionOptions.followChanges = followChanges;
    host::TNetConnection::setDefaultOptions(connectionOptions);
    std::printf("one tick = 8 calls + loads + locate + repaint of the three grids; floor = 8 "
                "empty calls to the same server + the bare GetPlanoVoo SQL; %d ticks each, "
                "interleaved with the floor, after 20 warm-up ticks; the screen's connection %s; "
                "%ld cores\n\n",
                ticks,
                followChanges ? "follows the server's changes (replies held)"
                              : "follows no changes (every call to the server)",
                sysconf(_SC_NPROCESSORS_ONLN));
    Bench bench(ticks, longRun);
    std::vector<Database> databases = {
        {"SQLite", DatabaseTarget::parse(serverDb.toStdString(), Access::Create), serverDb}};
    const QString pg = qEnvironmentVariable("ATE_BENCH_PG");
    if (!pg.isEmpty())
        databases.push_back(
            {"PostgreSQL", DatabaseTarget::parse(pg.toStdString(), Access::ReadWrite), pg});
    bool first = true;
    for (const Database &database : databases) {
        bench.run(database, first);
        first = false;
    }
    bench.printAllTargets();
    if (pg.isEmpty())
        std::printf("\n(PostgreSQL skipped: set ATE_BENCH_PG)\n");
    host::setDialogs(nullptr);
    host::setMainWindow(nullptr);
    return 0;
}
