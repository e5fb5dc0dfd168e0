#include "host/net/net_connection.h"
#include "host/net/tests/demo_flights.h"
#include "server/db/database.h"
#include "testing/net/delay_proxy.h"
#include "testing/server/app_server_process.h"
#include "testing/server/demo_server.h"

#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>

using host::ServerArg;
using host::ServerReply;
using host::TNetConnection;

namespace {

using Flight = host::testing::DemoFlight;
using host::testing::columnOf;

double firstQuantity(const ServerReply &reply)
{
    const int column = columnOf(reply.packet, "QTSESOLICSP");
    return reply.packet.rowCount > 0 && column >= 0 ? reply.packet.columns[column].number(0) : -1;
}

} // namespace

// The real server through a link of 50 ms round trip, and a connection
// that follows its changes: what is read ahead is there when the screen
// asks, and a colleague's write is read again ahead, so the next move
// shows it without waiting on the link.
class TestReadAhead : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("ate.net.info=false"));
        const QString failed = m_server.start(QDate(2026, 12, 11), 25400);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }

    // Catches a read-ahead that reads what nobody asks for next, leaves the
    // screen waiting on the link for a flight it read, or keeps showing
    // the services of a flight a colleague has just changed.
    void theFlightsAroundTheCursorAreHeldAndKeptFresh()
    {
        host::testing::DelayProxy link(m_server.port(), std::chrono::milliseconds(25));
        QVERIFY(link.port() > 0);
        TNetConnection connection;
        QVERIFY(host::testing::connectLive(connection, link.port()));
        QString failure;
        const std::vector<Flight> flights =
            host::testing::firstDemoFlights(connection, 4, &failure);
        QVERIFY2(flights.size() == 4, qPrintable(failure));

        std::vector<std::pair<QString, std::vector<ServerArg>>> window;
        for (const Flight &flight : flights) {
            window.emplace_back(QStringLiteral("GetPrevPax"), flight.arguments());
            window.emplace_back(QStringLiteral("GetServPlano"), flight.arguments());
        }
        connection.prefetch(window);
        QTRY_VERIFY_WITH_TIMEOUT(connection.prefetchSettled(), 20000);
        QVERIFY(connection.prefetchedBytes() > 0);

        // The screen moves through the four flights: no call reaches the
        // server, and each reply is the server's own.
        TNetConnection bare;
        host::ConnectionOptions options = bare.options();
        options.followChanges = false;
        bare.setOptions(options);
        bare.setServerName(QStringLiteral("Ate25400.rdmPosFDiPlav"));
        bare.SetHost(QStringLiteral("127.0.0.1"));
        bare.setPort(m_server.port());
        const int callsBefore = connection.serverCallCount();
        for (const auto &[method, arguments] : window) {
            const ServerReply held = connection.appServer().invoke(method, arguments);
            const ServerReply fresh = bare.appServer().invoke(method, arguments);
            QVERIFY2(held.ok() && fresh.ok(), qPrintable(held.message + fresh.message));
            QCOMPARE(held.packet.rowCount, fresh.packet.rowCount);
            QCOMPARE(held.packet.fields.size(), fresh.packet.fields.size());
        }
        QCOMPARE(connection.serverCallCount(), callsBefore);

        // A colleague changes the third flight's services.
        const Flight &changed = flights[2];
        const ServerReply before =
            connection.appServer().invoke(QStringLiteral("GetServPlano"), changed.arguments());
        const double written = firstQuantity(before) + 7;
        QSignalSpy told(&connection, &TNetConnection::feedChanged);
        {
            auto writer = appserver::openConnection(appserver::DatabaseTarget::parse(
                m_server.serverDatabase().toStdString(), appserver::Access::ReadWrite));
            QVERIFY(writer.ok());
            auto update = (*writer)->prepare(
                "UPDATE SERVPLANO SET QTSESOLICSP = ? WHERE CDCIA = ? AND CDFILIAL = ? "
                "AND NRVOO = ? AND CDTRECHO = ? AND DTHRPLAVOOPV = ? AND CDSERVICO = ?");
            QVERIFY(update.ok());
            appserver::StatementRun run(**update);
            run->bindNumber(0, written);
            run->bindText(1, changed.airline.toStdString());
            run->bindText(2, changed.branch.toStdString());
            run->bindText(3, changed.number.toStdString());
            run->bindText(4, changed.leg.toStdString());
            run->bindDateTime(5, changed.msecs);
            const int service = columnOf(before.packet, "CDSERVICO");
            QVERIFY(service >= 0);
            run->bindText(6, before.packet.columns[service].text(0).toStdString());
            QVERIFY(run->step().ok());
        }
        // Once the feed has told and the read-ahead has caught up, the move
        // shows the write without a call.
        QTRY_VERIFY_WITH_TIMEOUT(told.count() > 0 && connection.prefetchSettled(), 20000);
        const ServerReply after =
            connection.appServer().invoke(QStringLiteral("GetServPlano"), changed.arguments());
        QVERIFY(after.held);
        QCOMPARE(firstQuantity(after), written);
        QCOMPARE(connection.serverCallCount(), callsBefore);
    }

    // Catches a server switched to run without its feed whose hosts still
    // hold or read ahead what nothing vouches for: each call reaches it,
    // and nothing is read that the screen did not ask for.
    void aServerWithoutItsFeedIsAskedEveryCall()
    {
        host::testing::AppServerProcess server;
        const QString failed =
            server.start(m_server.serverDatabase(), {QStringLiteral("--no-change-feed")});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        TNetConnection connection;
        connection.setServerName(QStringLiteral("Ate25400.rdmPosFDiPlav"));
        connection.SetHost(QStringLiteral("127.0.0.1"));
        connection.setPort(server.port());
        connection.connect();
        const std::vector<ServerArg> day = host::testing::demoDay();
        QVERIFY(connection.appServer().invoke(QStringLiteral("GetPlanoVoo"), day).ok());
        QTRY_COMPARE_WITH_TIMEOUT(connection.feedStatus().state, host::FeedStatus::State::Off,
                                  20000);
        connection.prefetch({{QStringLiteral("GetPlanoVoo"), day}});
        for (int call = 0; call < 3; ++call) {
            const ServerReply reply =
                connection.appServer().invoke(QStringLiteral("GetPlanoVoo"), day);
            QVERIFY(reply.ok() && !reply.held);
        }
        QCOMPARE(connection.serverCallCount(), 4);
        QCOMPARE(connection.prefetchedBytes(), std::uint64_t(0));
        QVERIFY(server.log().contains("change feed off"));
    }

    void cleanupTestCase() { m_server.stop(); }

private:
    host::testing::DemoServer m_server;
};

QTEST_GUILESS_MAIN(TestReadAhead)
#include "tst_read_ahead.moc"
