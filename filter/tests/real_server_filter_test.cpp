// The airline filter against the real application server on a demo day:
// the airlines the server offers are the ones the screen then shows, and
// F5 keeps to them.

#include "filter/tests/dialog_driver.h"

#include "host/host_context.h"
#include "testing/server/demo_server.h"

#include <QSet>
#include <QTest>

using namespace screen::testing;
using Cli_ate25401::TfrmFiltroCia;

class RealServerFilterTest : public FilterDialogTestBase
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void twoAirlinesThenAllAgain();

private:
    QSet<QString> shownAirlineSet() const
    {
        const QStringList shown = shownAirlines();
        return QSet<QString>(shown.begin(), shown.end());
    }

    host::testing::DemoServer m_server;
};

void RealServerFilterTest::initTestCase()
{
    const QString failure = m_server.start(today(), 25401);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void RealServerFilterTest::cleanupTestCase()
{
    m_server.stop();
}

void RealServerFilterTest::init()
{
    m_fixture = std::make_unique<ScreenFixture>();
    host::DatabaseSettings local;
    local.sqlitePath = m_server.localDatabase();
    host::context().setDatabase(local);
    host::context().setServerPort(m_server.port());
    linkForms();
    m_form = m_fixture->open();
    QVERIFY(m_form);
}

// Catches a list format the server refuses or reads otherwise, airlines of
// other branches offered, and F5 that forgets the choice.
void RealServerFilterTest::twoAirlinesThenAllAgain()
{
    const QSet<QString> all = shownAirlineSet();
    QVERIFY2(all.size() >= 3, "the demo day needs at least three airlines");
    QString grabbed;
    m_fixture->dialogs->pickRows({0, 1});
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        pickAirlines(dialog);
        const QString png = QStringLiteral(SCREEN_PNG_DIR "/ate25401.png");
        if (dialog.grab().save(png))
            grabbed = png;
        confirm(dialog);
    }));
    QVERIFY(!grabbed.isEmpty());
    QCOMPARE(m_fixture->dialogs->texts(), QStringList());
    const platform::ClientDataSet *airlines = Cli_ate25401::frmFiltroCia->cdsCia;
    QVERIFY(airlines->recordCount() >= all.size());
    const QSet<QString> picked = {airlines->fieldByName(QStringLiteral("CDCIA")).asStringAt(0),
                                  airlines->fieldByName(QStringLiteral("CDCIA")).asStringAt(1)};
    const QSet<QString> shown = shownAirlineSet();
    QVERIFY(!shown.isEmpty());
    QVERIFY(shown.size() < all.size());
    QVERIFY2(picked.contains(shown), "a flight of an airline that was not picked");

    pressF5();
    QCOMPARE(shownAirlineSet(), shown);

    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        QTest::mouseClick(dialog.rbtTodas, Qt::LeftButton);
        confirm(dialog);
    }));
    QCOMPARE(shownAirlineSet(), all);
    pressF5();
    QCOMPARE(shownAirlineSet(), all);
    QCOMPARE(m_fixture->dialogs->texts(), QStringList());
}

QTEST_MAIN(RealServerFilterTest)
#include "real_server_filter_test.moc"
