// The screen against the real application server on a demo data set: every
// packet it sends must fit the screen's record sets, and a day's position
// must show without a message.

#include "screen_fixture.h"

#include "host_context.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace screen_testing;
using Cli_ate25400::TfrmPosFecDiaPlaVoo;

class RealServerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void demoDayShowsEveryFlightWithoutMessage();

private:
    int flightsOfTheDay(const QString &branch) const;

    QTemporaryDir m_data;
    QProcess m_server;
    int m_port = 0;
};

void RealServerTest::initTestCase()
{
    QVERIFY(m_data.isValid());
    QProcess demo;
    demo.start(QStringLiteral(ATE_DEMODATA),
               {"--server-db", m_data.filePath("server.db"), "--local-db", m_data.filePath("local.db"),
                "--start", today().toString(Qt::ISODate), "--days", "1", "--seed", "25400"});
    QVERIFY(demo.waitForFinished(60000));
    QCOMPARE(demo.exitCode(), 0);

    // The server logs a line per call: into a file, so that a full pipe
    // never stalls it while the screen waits for a reply.
    const QString logPath = m_data.filePath("server.log");
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.setStandardOutputFile(logPath);
    m_server.start(QStringLiteral(ATE_APPSERVER),
                   {"--database", m_data.filePath("server.db"), "--port", "0", "--threads", "2"});
    QVERIFY(m_server.waitForStarted(10000));
    // The server logs the port it took.
    const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
    QByteArray log;
    QVERIFY(QTest::qWaitFor([&] {
        QFile file(logPath);
        if (file.open(QIODevice::ReadOnly))
            log = file.readAll();
        const auto match = listening.match(QString::fromUtf8(log));
        if (match.hasMatch())
            m_port = match.captured(1).toInt();
        return m_port > 0 || m_server.state() == QProcess::NotRunning;
    }, 20000));
    QVERIFY2(m_port > 0, log.constData());
}

void RealServerTest::cleanupTestCase()
{
    m_server.terminate();
    if (!m_server.waitForFinished(5000))
        m_server.kill();
    m_server.waitForFinished(5000);
}

int RealServerTest::flightsOfTheDay(const QString &branch) const
{
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
        db.setDatabaseName(m_data.filePath("server.db"));
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("SELECT COUNT(*) FROM PLANOVOO WHERE CDFILIAL = ? "
                                         "AND substr(DTHRPLAVOOPV, 1, 10) = ?"));
            query.addBindValue(branch);
            query.addBindValue(today().toString(Qt::ISODate));
            if (query.exec() && query.next())
                count = query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("count"));
    return count;
}

// Catches a record set the real packets do not fit (a field's name, type or
// size), and a day that loads or paints with a failure.
void RealServerTest::demoDayShowsEveryFlightWithoutMessage()
{
    ScreenFixture fixture;
    host::DatabaseSettings local;
    local.sqlitePath = m_data.filePath("local.db");
    host::context().setDatabase(local);
    host::context().setServerPort(m_port);

    TfrmPosFecDiaPlaVoo *form = fixture.open();
    QVERIFY(form);
    QCOMPARE(fixture.dialogs->texts(), QStringList());
    const int flights = flightsOfTheDay(QStringLiteral("GRU"));
    QVERIFY(flights > 0);
    QCOMPARE(form->cdsPlanoVoo->recordCount(), flights);
    QVERIFY(form->cdsPrevPax->isActive());
    QVERIFY(form->cdsServPlano->isActive());

    // Through every flight of the day, as a user pressing the down arrow.
    form->setFormWindowState(Qt::WindowMaximized);
    clickCell(form->dbgPlanoVoo, 0, 1);
    int withServices = 0;
    for (int row = 0; row < flights; ++row) {
        if (row > 0)
            QTest::keyClick(form->dbgPlanoVoo, Qt::Key_Down);
        QCOMPARE(form->cdsPlanoVoo->recNo(), row);
        withServices += form->cdsServPlano->isEmpty() ? 0 : 1;
        form->dbgServPlano->grab();
    }
    QCOMPARE(fixture.dialogs->texts(), QStringList());
    QVERIFY(withServices > 0);

    clickCell(form->dbgPlanoVoo, 1, 1);
    QVERIFY(fixture.window.grab().save(QStringLiteral(SCREEN_PNG_DIR "/ate25400_real_server.png")));
}

QTEST_MAIN(RealServerTest)
#include "real_server_test.moc"
