#include "host/net/net_connection.h"
#include "testing/server/demo_server.h"

#include <QElapsedTimer>
#include <QTest>

using host::ServerReply;
using host::TNetConnection;
using host::testing::DemoServer;

// The connection against the real application server when that server is
// killed and started again on the same port.
class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QString failed = m_server.start(QDate::currentDate(), 25400);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        m_connection.setServerName(QStringLiteral("Ate25400.rdmPosFDiPlav"));
        m_connection.setBeforeConnect([this](TNetConnection &connection) {
            connection.SetHost(QStringLiteral("127.0.0.1"));
            connection.setPort(m_server.port());
        });
        m_connection.connect();
        QVERIFY(getCia().ok());
    }

    // Catches calls that fail after a restarted server listens again, while
    // gRPC waits for its background poll or its reconnect backoff (seconds
    // of failed refreshes after each restart).
    void firstCallAfterRestartGoesThrough()
    {
        for (int round = 0; round < 3; ++round) {
            const QString failed = m_server.restart();
            QVERIFY2(failed.isEmpty(), qPrintable(failed));
            const ServerReply reply = getCia();
            QVERIFY2(reply.ok(),
                     qPrintable(QStringLiteral("round %1: %2").arg(round).arg(reply.message)));
        }
    }

    // Catches a channel left in its reconnect backoff by calls made while the
    // server was down: the first call after it listens again must still go
    // through.
    void callsDuringTheOutageDoNotDelayRecovery()
    {
        m_server.kill();
        for (int i = 0; i < 5; ++i) {
            const ServerReply reply = getCia();
            QCOMPARE(reply.status, ServerReply::Status::TransportFailure);
        }
        const QString failed = m_server.restart();
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        int failures = 0;
        for (int i = 0; i < 20; ++i)
            failures += getCia().ok() ? 0 : 1;
        QCOMPARE(failures, 0);
    }

private:
    ServerReply getCia()
    {
        return m_connection.appServer().invoke(QStringLiteral("GetCia"), {QStringLiteral("GRU")});
    }

    DemoServer m_server;
    TNetConnection m_connection;
};

QTEST_GUILESS_MAIN(TestRecovery)
#include "tst_recovery.moc"
