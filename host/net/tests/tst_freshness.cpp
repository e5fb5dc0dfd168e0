#include "host/net/net_connection.h"
#include "host/net/tests/demo_flights.h"
#include "server/db/database.h"
#include "testing/net/delay_proxy.h"
#include "testing/pg/pg_cluster.h"
#include "testing/server/app_server_process.h"
#include "testing/server/demo_server.h"

#include <QLoggingCategory>
#include <QTest>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

using host::ServerArg;
using host::ServerReply;
using host::TNetConnection;
using Clock = std::chrono::steady_clock;

namespace {

using Flight = host::testing::DemoFlight;
using host::testing::columnOf;

// What one flight's services held, and until when: each value written,
// with the moment its write had surely committed.
struct History
{
    std::mutex mutex;
    // flight -> (value, committed by); the first value is the demo's,
    // committed before the test began.
    std::map<int, std::vector<std::pair<double, Clock::time_point>>> values;

    void wrote(int flight, double value, Clock::time_point committedBy)
    {
        std::lock_guard lock(mutex);
        values[flight].emplace_back(value, committedBy);
    }

    // Whether `value` of `flight` was still the database's at some moment
    // at or after `since`: it was never replaced, or its replacement
    // committed after `since`.
    bool currentAt(int flight, double value, Clock::time_point since)
    {
        std::lock_guard lock(mutex);
        const auto &list = values[flight];
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i].first != value)
                continue;
            if (i + 1 == list.size() || list[i + 1].second >= since)
                return true;
        }
        return false;
    }
};

} // namespace

// The real server through a link of 50 ms round trip, a writer changing
// the services of a few flights every 30 ms, and the host's
// connection asking for them over and over, answered from what it holds
// or by the server. Every reply must show the database as it was no
// longer ago than the feed's bound before it was asked for, through the
// link dropping its connections and the server restarting.
class TestFreshness : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A line per call would drown the one that matters.
        QLoggingCategory::setFilterRules(QStringLiteral("ate.net.info=false"));
    }

    void everyReplyIsFreshOnSQLite()
    {
        host::testing::DemoServer server;
        const QString failed = server.start(QDate(2026, 12, 11), 25400);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        run(server, server.serverDatabase(), std::chrono::milliseconds(50 + 1000));
    }

    void everyReplyIsFreshOnPostgreSQL()
    {
        if (qEnvironmentVariableIsEmpty("ATE_TEST_PG"))
            QSKIP("PostgreSQL cases are off (ATE_TEST_PG is not set)");
        appserver::testing::ThrowawayCluster cluster;
        QString conninfo;
        const QString noCluster =
            host::testing::startDemoCluster(cluster, QDate(2026, 12, 11), &conninfo);
        QVERIFY2(noCluster.isEmpty(), qPrintable(noCluster));
        host::testing::DemoServer server;
        const QString failed = server.serve(conninfo);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        run(server, conninfo, std::chrono::milliseconds(50 + 100));
    }

private:
    void run(host::testing::DemoServer &server, const QString &database,
             std::chrono::milliseconds bound)
    {
        host::testing::DelayProxy link(server.port(), std::chrono::milliseconds(25));
        QVERIFY(link.port() > 0);
        TNetConnection connection;
        QVERIFY(host::testing::connectLive(connection, link.port()));
        QString failure;
        const std::vector<Flight> flights =
            host::testing::firstDemoFlights(connection, 4, &failure);
        QVERIFY2(flights.size() == 4, qPrintable(failure));

        History history;
        const auto valueOf = [](const ServerReply &reply) {
            const int column = columnOf(reply.packet, "QTSESOLICSP");
            return reply.packet.rowCount > 0 && column >= 0 ? reply.packet.columns[column].number(0)
                                                            : -1.0;
        };
        for (std::size_t i = 0; i < flights.size(); ++i) {
            const ServerReply first = connection.appServer().invoke(QStringLiteral("GetServPlano"),
                                                                    flights[i].arguments());
            QVERIFY2(first.ok() && first.packet.rowCount > 0, qPrintable(first.message));
            history.wrote(int(i), valueOf(first), Clock::now());
        }

        // The writer: every flight's services set to a new value in turn,
        // as colleagues at their desks would.
        auto writer = appserver::openConnection(
            appserver::DatabaseTarget::parse(database.toStdString(), appserver::Access::ReadWrite));
        QVERIFY(writer.ok());
        std::atomic<bool> writing{true};
        std::atomic<int> writes{0};
        std::thread colleague([&] {
            double value = 1000;
            while (writing) {
                for (std::size_t i = 0; i < flights.size() && writing; ++i) {
                    auto update = (*writer)->prepare(
                        "UPDATE SERVPLANO SET QTSESOLICSP = ? WHERE CDCIA = ? AND CDFILIAL = ? "
                        "AND NRVOO = ? AND CDTRECHO = ? AND DTHRPLAVOOPV = ?");
                    if (!update)
                        return;
                    appserver::StatementRun run(**update);
                    run->bindNumber(0, ++value);
                    run->bindText(1, flights[i].airline.toStdString());
                    run->bindText(2, flights[i].branch.toStdString());
                    run->bindText(3, flights[i].number.toStdString());
                    run->bindText(4, flights[i].leg.toStdString());
                    run->bindDateTime(5, flights[i].msecs);
                    if (!run->step())
                        return;
                    history.wrote(int(i), value, Clock::now());
                    ++writes;
                    // The pace of a busy branch, not a storm: held
                    // replies live a little between writes.
                    std::this_thread::sleep_for(std::chrono::milliseconds(30));
                }
            }
        });

        int replies = 0, held = 0, stale = 0, failed = 0;
        // Each phase lasts well past the bound, so that a reply held too
        // long shows as stale; a round every few milliseconds, as a screen
        // moving about would ask.
        const auto phase = bound * 3 + std::chrono::seconds(1);
        const auto ask = [&](std::chrono::milliseconds duration) {
            const Clock::time_point until = Clock::now() + duration;
            while (Clock::now() < until) {
                for (std::size_t i = 0; i < flights.size(); ++i) {
                    const Clock::time_point asked = Clock::now();
                    const ServerReply reply = connection.appServer().invoke(
                        QStringLiteral("GetServPlano"), flights[i].arguments());
                    if (!reply.ok()) {
                        ++failed;
                        continue;
                    }
                    ++replies;
                    held += reply.held ? 1 : 0;
                    if (!history.currentAt(int(i), valueOf(reply), asked - bound)) {
                        ++stale;
                        qWarning() << "stale:" << flights[i].number << valueOf(reply)
                                   << (reply.held ? "(held)" : "(from the server)");
                    }
                }
                QCoreApplication::processEvents();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        };
        ask(phase);
        link.dropConnections();
        ask(phase);
        QVERIFY2(server.restart().isEmpty(), "the server did not start again");
        ask(phase);
        writing = false;
        colleague.join();

        qInfo("%d writes, %d replies (%d held), %d stale, %d failed while the link or the "
              "server was down",
              writes.load(), replies, held, stale, failed);
        QCOMPARE(stale, 0);
        QVERIFY2(held > 0, "nothing was held: the test proves nothing");
        QVERIFY(writes > 0);
    }
};

QTEST_GUILESS_MAIN(TestFreshness)
#include "tst_freshness.moc"
