// The report form against the real application server on a demo day: the
// airlines it offers must be the day's, in a packet that fits cdsCompanhia.

#include "report/tests/report_fixture.h"

#include "host/host_context.h"
#include "host/net/net_connection.h"
#include "platform/client_data_set.h"
#include "platform/field.h"
#include "testing/server/demo_server.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace report::testing;

class ReportRealServerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void airlineSearchOffersTheDaysAirlines();

private:
    QStringList airlinesOfTheDay() const;

    host::testing::DemoServer m_server;
};

void ReportRealServerTest::initTestCase()
{
    const QString failure = m_server.start(screen::testing::today(), 25402);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void ReportRealServerTest::cleanupTestCase()
{
    m_server.stop();
}

QStringList ReportRealServerTest::airlinesOfTheDay() const
{
    QStringList codes;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("day"));
        db.setDatabaseName(m_server.serverDatabase());
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("SELECT DISTINCT P.CDCIA, C.SGCIA FROM PLANOVOO P "
                                         "JOIN COMPANHIA C ON C.CDCIA = P.CDCIA "
                                         "WHERE substr(P.DTHRPLAVOOPV, 1, 10) = ? "
                                         "ORDER BY C.SGCIA, P.CDCIA"));
            query.addBindValue(screen::testing::today().toString(Qt::ISODate));
            if (query.exec()) {
                while (query.next())
                    codes.append(query.value(0).toString());
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("day"));
    return codes;
}

// Catches a reply that does not fit the form's airline record set (a
// field's name, type or size), and airlines offered that fly no plan that
// day, or missing ones.
void ReportRealServerTest::airlineSearchOffersTheDaysAirlines()
{
    ReportFixture fixture;
    host::context().setServerPort(m_server.port());
    // The screen's connection was made for the scripted server.
    fixture.closingScreen->netPosFDiPlav->disconnect();
    fixture.closingScreen->netPosFDiPlav->connect();
    Cli_ate25402::TfrmRelPosFecDiaPV *form = fixture.form();
    fixture.screen.dialogs->pickRows({0, 1});

    QTest::mouseClick(form->rbtLCia, Qt::LeftButton);
    QTest::mouseClick(form->btpCia, Qt::LeftButton);
    QCOMPARE(fixture.screen.dialogs->texts(), QStringList());
    const QStringList expected = airlinesOfTheDay();
    QVERIFY(expected.size() >= 2);
    QStringList offered;
    const platform::Field &code = form->cdsCompanhia->fieldByName(QStringLiteral("CDCIA"));
    for (int row = 0; row < form->cdsCompanhia->recordCount(); ++row)
        offered.append(code.textAt(row));
    QCOMPARE(offered, expected);
    QCOMPARE(form->listaRel(), expected.mid(0, 2).join(u','));
}

QTEST_MAIN(ReportRealServerTest)
#include "real_server_test.moc"
