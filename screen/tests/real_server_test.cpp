// The screen against the real application server on a demo data set: every
// packet it sends must fit the screen's record sets, and a day's position
// must show without a message.

#include "testing/screen/screen_fixture.h"

#include "host/host_context.h"
#include "host/net/net_connection.h"
#include "testing/server/demo_server.h"

#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace screen::testing;
using Cli_ate25400::TfrmPosFecDiaPlaVoo;

class RealServerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void demoDayShowsEveryFlightWithoutMessage();
    void refreshSurvivesAServerRestart();
    void movesNearTheCursorWaitForNoCall();

private:
    int flightsOfTheDay(const QString &branch) const;
    // The screen of the fixture's host, on the demo server and its branches.
    TfrmPosFecDiaPlaVoo *openOnTheDemo(ScreenFixture &fixture)
    {
        host::DatabaseSettings local;
        local.sqlitePath = m_server.localDatabase();
        host::context().setDatabase(local);
        host::context().setServerPort(m_server.port());
        return fixture.open();
    }

    host::testing::DemoServer m_server;
};

void RealServerTest::initTestCase()
{
    const QString failure = m_server.start(today(), 25400);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void RealServerTest::cleanupTestCase()
{
    m_server.stop();
}

int RealServerTest::flightsOfTheDay(const QString &branch) const
{
    int count = -1;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
        db.setDatabaseName(m_server.serverDatabase());
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
    TfrmPosFecDiaPlaVoo *form = openOnTheDemo(fixture);
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

// Catches a crash, a pile of error boxes or a refresh that never recovers
// when the server dies under a screen left refreshing on a desk.
void RealServerTest::refreshSurvivesAServerRestart()
{
    ScreenFixture fixture;
    TfrmPosFecDiaPlaVoo *form = openOnTheDemo(fixture);
    QVERIFY(form);
    const int flights = form->cdsPlanoVoo->recordCount();
    clickCell(form->dbgPlanoVoo, 3, 1);
    const QString kept = form->cdsPlanoVoo->fieldByName(QStringLiteral("NRVOO")).asString();

    m_server.kill();
    QString restarted = QStringLiteral("not restarted");
    fixture.dialogs->setOnMessage([&](const auto &) {
        // The user reads the box; meanwhile the server comes back.
        if (restarted == QLatin1String("not restarted"))
            restarted = m_server.restart();
    });
    form->timAtualizacaoPv->setInterval(50);
    QTRY_VERIFY(!fixture.dialogs->texts().isEmpty());
    QVERIFY2(restarted.isEmpty(), qPrintable(restarted));
    // Ticks go on after the box; one of them finds the server again.
    fixture.dialogs->setOnMessage({});
    QTRY_VERIFY_WITH_TIMEOUT(
        form->cdsPrevPax->isActive() && form->cdsPlanoVoo->recordCount() == flights
            && form->cdsPlanoVoo->fieldByName(QStringLiteral("NRVOO")).asString() == kept
            && !form->cdsPlanoVoo->controlsDisabled(),
        10000);
    form->timAtualizacaoPv->stop();
    // One box for the server that died; the first tick after it was back
    // found it.
    QCOMPARE(fixture.dialogs->texts().size(), 1);
    QCOMPARE(form->cdsPlanoVoo->recNo(), 3);
}

// Catches a screen whose user waits on the link, key after key, for the
// details of the flights next to the cursor, including a flight that has
// no forecast yet: once the server's feed is live, what is next to the
// cursor is read ahead.
void RealServerTest::movesNearTheCursorWaitForNoCall()
{
    ScreenFixture fixture;
    TfrmPosFecDiaPlaVoo *form = openOnTheDemo(fixture);
    QVERIFY(form);
    QVERIFY(form->cdsPlanoVoo->recordCount() > 4);
    host::TNetConnection *connection = form->netPosFDiPlav;
    QTRY_VERIFY_WITH_TIMEOUT(connection->feedStatus().state == host::FeedStatus::State::Live,
                             20000);
    // The third flight's forecast is not in yet.
    QSignalSpy told(connection, &host::TNetConnection::feedChanged);
    {
        const auto text = [&](const char *name) {
            return form->cdsPlanoVoo->fieldByName(QLatin1String(name)).asStringAt(2);
        };
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("write"));
        db.setDatabaseName(m_server.serverDatabase());
        QVERIFY(db.open());
        QSqlQuery query(db);
        query.prepare(QStringLiteral("DELETE FROM PREVISAOPAX WHERE CDCIA = ? AND CDFILIAL = ? "
                                     "AND NRVOO = ? AND CDTRECHO = ? "
                                     "AND substr(DTHRPLAVOOPV, 1, 10) = ?"));
        for (const char *key : {"CDCIA", "CDFILIAL", "NRVOO", "CDTRECHO"})
            query.addBindValue(text(key));
        query.addBindValue(today().toString(Qt::ISODate));
        QVERIFY(query.exec());
        QVERIFY(query.numRowsAffected() > 0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("write"));
    // The screen's connection has heard of it.
    QTRY_VERIFY_WITH_TIMEOUT(told.count() > 0, 20000);

    form->setFormWindowState(Qt::WindowMaximized);
    clickCell(form->dbgPlanoVoo, 0, 1);
    QTRY_VERIFY_WITH_TIMEOUT(connection->prefetchSettled(), 20000);
    const int calls = connection->serverCallCount();
    for (int row = 1; row <= 4; ++row) {
        QTest::keyClick(form->dbgPlanoVoo, Qt::Key_Down);
        QCOMPARE(form->cdsPlanoVoo->recNo(), row);
        QCOMPARE(form->cdsPrevPax->isEmpty(), row == 2);
    }
    QCOMPARE(connection->serverCallCount(), calls);
    QCOMPARE(fixture.dialogs->texts(), QStringList());
}

QTEST_MAIN(RealServerTest)
#include "real_server_test.moc"
