// The refresh tick and the period: the position read again on the timer,
// the supervisor's flight kept, and a server that is down shown once.

#include "testing/screen/open_screen_test.h"

#include "host/mask_edit.h"
#include "platform/client_data_set.h"
#include "platform/data_link.h"
#include "platform/db_grid.h"
#include "platform/field.h"
#include "platform/grid_model.h"

#include <QSignalSpy>
#include <QTest>

using namespace screen::testing;
using host::testing::Answer;

class RefreshTest : public OpenScreenTest
{
    Q_OBJECT

private slots:
    void tickKeepsTheSelectedFlightWithItsDetails();
    void keptFlightFarDownStaysInView();
    void flightGoneLeavesTheFirstRow();
    void keyDifferingOnlyInCaseIsStillFound();
    void tickWithoutACurrentRow();
    void failedTickResumesAndTheNextOneWorks();
    void oneErrorBoxWhileTheServerIsDown();
    void periodFollowsTheField();

private:
    void tick() { QMetaObject::invokeMethod(m_form->timAtualizacaoPv, "timeout"); }
    QString currentFlight() const
    {
        return m_form->cdsPlanoVoo->fieldByName(QStringLiteral("NRVOO")).asString();
    }
};

// Catches a tick that reads in another order or another number of times
// than the chain gives, or that ends anywhere but on the kept flight with
// that flight's forecast and services.
void RefreshTest::tickKeepsTheSelectedFlightWithItsDetails()
{
    const Flight &gol = m_fixture->day.flights.at(0);
    const Flight &american = m_fixture->day.flights.at(1);
    clickCell(m_form->dbgPlanoVoo, 1, 0);
    m_fixture->server.clearCalls();
    tick();
    const QString planoVoo = QStringLiteral("GetPlanoVoo(\"\", \"T\", %1 00:00, \"GRU\")")
                                 .arg(today().toString(QStringLiteral("yyyy-MM-dd")));
    QCOMPARE(m_fixture->server.callStrings(),
             (QStringList{planoVoo, keysCall("GetPrevPax", gol), keysCall("GetServPlano", gol),
                          keysCall("GetPrevPax", gol), keysCall("GetServPlano", gol),
                          keysCall("GetServPlano", gol), keysCall("GetPrevPax", american),
                          keysCall("GetServPlano", american)}));
    QCOMPARE(m_form->cdsPlanoVoo->recNo(), 1);
    QCOMPARE(m_form->dbgPlanoVoo->currentIndex().row(), 1);
    QCOMPARE(m_form->cdsPrevPax->fieldByName(QStringLiteral("NRVOO")).asString(), american.nrvoo);
    QCOMPARE(m_form->cdsServPlano->fieldByName(QStringLiteral("DSSERVICO")).asString(),
             QStringLiteral("Hot meal"));
    QVERIFY(!m_form->cdsPlanoVoo->controlsDisabled());
    QVERIFY(m_fixture->dialogs->texts().isEmpty());
}

// Catches a kept flight that is current but scrolled out of sight after the
// reload, and one painted while the set was reloaded.
void RefreshTest::keptFlightFarDownStaysInView()
{
    DemoDay day = m_fixture->day;
    for (int i = 0; i < 80; ++i) {
        Flight flight = day.flights.at(0);
        flight.nrvoo = QString::number(3000 + i);
        day.flights.append(flight);
    }
    m_fixture->serve(day);
    QVERIFY(pressIn(m_form->dbgPlanoVoo, Qt::Key_F5));
    QTRY_COMPARE(m_form->dbgPlanoVoo->model()->rowCount(), 83);
    m_form->cdsPlanoVoo->setRecNo(70);
    const QModelIndex kept = m_form->dbgPlanoVoo->model()->index(70, 3);
    QVERIFY(
        m_form->dbgPlanoVoo->viewport()->rect().contains(m_form->dbgPlanoVoo->visualRect(kept)));
    // The grid hears of the reload and the move back only once both are
    // done: never of the first row, where the reload leaves the set.
    bool toldWhileReloading = false;
    const auto told = [&] { toldWhileReloading |= m_form->cdsPlanoVoo->recNo() != 70; };
    platform::DataLink &link = m_form->dbgPlanoVoo->gridModel()->link();
    QObject::connect(&link, &platform::DataLink::refreshed, m_form, told);
    QObject::connect(&link, &platform::DataLink::rowsChanged, m_form, told);
    QObject::connect(&link, &platform::DataLink::currentRowChanged, m_form, told);
    tick();
    QVERIFY(!toldWhileReloading);
    QCOMPARE(m_form->cdsPlanoVoo->recNo(), 70);
    QCOMPARE(m_form->dbgPlanoVoo->currentIndex().row(), 70);
    QVERIFY(m_form->dbgPlanoVoo->viewport()->updatesEnabled());
    QVERIFY(m_form->dbgPlanoVoo->viewport()->rect().contains(
        m_form->dbgPlanoVoo->visualRect(m_form->dbgPlanoVoo->currentIndex())));
}

// Catches a tick that stays on a row index once the flight there changed.
void RefreshTest::flightGoneLeavesTheFirstRow()
{
    clickCell(m_form->dbgPlanoVoo, 1, 0);
    DemoDay day = m_fixture->day;
    day.flights.removeAt(1);
    m_fixture->serve(day);
    tick();
    QCOMPARE(m_form->cdsPlanoVoo->recNo(), 0);
    QCOMPARE(currentFlight(), day.flights.at(0).nrvoo);
    QCOMPARE(m_form->cdsPrevPax->fieldByName(QStringLiteral("NRVOO")).asString(),
             day.flights.at(0).nrvoo);
}

// Catches a locate that compares with case, or partly.
void RefreshTest::keyDifferingOnlyInCaseIsStillFound()
{
    clickCell(m_form->dbgPlanoVoo, 2, 0);
    DemoDay day = m_fixture->day;
    day.flights[2].cdcia = QStringLiteral("tp");
    day.flights[2].filial = QStringLiteral("gru");
    // A flight whose number only starts like the kept one's is not it.
    Flight similar = day.flights[2];
    similar.nrvoo = QStringLiteral("00871");
    day.flights.insert(0, similar);
    m_fixture->serve(day);
    tick();
    QCOMPARE(m_form->cdsPlanoVoo->recNo(), 3);
    QCOMPARE(currentFlight(), QStringLiteral("0087"));
}

// Catches a tick that fails, or moves somewhere, when no flight was current.
void RefreshTest::tickWithoutACurrentRow()
{
    DemoDay empty = m_fixture->day;
    empty.flights.clear();
    m_fixture->serve(empty);
    QVERIFY(pressIn(m_form->dbgPlanoVoo, Qt::Key_F5));
    QVERIFY(m_form->cdsPlanoVoo->isEmpty());
    m_fixture->serve(demoDay());
    tick();
    QVERIFY(m_fixture->dialogs->texts().isEmpty());
    QCOMPARE(m_form->cdsPlanoVoo->recNo(), 0);
    QTRY_COMPARE(m_form->dbgPlanoVoo->model()->rowCount(), 3);
}

// Catches a failed tick that leaves the flight grid frozen, stops the
// timer, or moves the cursor on stale rows; and a next tick that does not
// recover.
void RefreshTest::failedTickResumesAndTheNextOneWorks()
{
    clickCell(m_form->dbgPlanoVoo, 2, 0);
    QVERIFY(m_form->timAtualizacaoPv->isActive());
    m_fixture->server.enqueue(QStringLiteral("GetPlanoVoo"),
                              Answer::failure(QStringLiteral("Servidor ocupado.")));
    m_fixture->server.clearCalls();
    tick();
    QCOMPARE(m_fixture->dialogs->texts(), QStringList{"Servidor ocupado."});
    QCOMPARE(m_fixture->server.callCount(), 1);
    QVERIFY(!m_form->cdsPlanoVoo->controlsDisabled());
    QVERIFY(m_form->timAtualizacaoPv->isActive());
    QCOMPARE(m_form->cdsPlanoVoo->recNo(), 2);

    tick();
    QCOMPARE(m_fixture->dialogs->texts().size(), 1);
    QCOMPARE(m_form->cdsPlanoVoo->recNo(), 2);
    QCOMPARE(m_fixture->server.callCount(QStringLiteral("GetPlanoVoo")), 2);
}

// Catches ticks stacking error boxes inside the first box's event loop
// while the server is down, and no retry once the box is closed.
void RefreshTest::oneErrorBoxWhileTheServerIsDown()
{
    m_fixture->server.stop();
    m_form->timAtualizacaoPv->setInterval(20);
    int callsWhileShown = -1;
    m_fixture->dialogs->setOnMessage([&](const auto &) {
        if (callsWhileShown >= 0)
            return;
        // Ticks due while the box is on screen.
        const int before = m_fixture->server.callCount();
        for (int i = 0; i < 3; ++i)
            tick();
        callsWhileShown = m_fixture->server.callCount() - before;
        // The server is back before the user closes the box.
        m_fixture->server.start();
    });
    QTRY_VERIFY(callsWhileShown >= 0);
    QCOMPARE(callsWhileShown, 0);
    QVERIFY(!m_form->cdsPlanoVoo->controlsDisabled());

    // A later tick shows the position again.
    m_fixture->server.clearCalls();
    QTRY_VERIFY(m_fixture->server.callCount(QStringLiteral("GetServPlano")) > 0);
    m_form->timAtualizacaoPv->stop();
    QVERIFY(!m_form->cdsPlanoVoo->controlsDisabled());
    QCOMPARE(m_form->cdsPlanoVoo->recordCount(), 3);
}

// Catches a first period of the laid-out 30 s instead of the field's, an
// interval not following the field, and an out-of-range value used as it
// was typed.
void RefreshTest::periodFollowsTheField()
{
    QCOMPARE(m_form->timAtualizacaoPv->interval(), 120000);
    clickInto(m_form->speAtualiza);
    QVERIFY(!m_form->timAtualizacaoPv->isActive());
    m_form->speAtualiza->selectAll();
    QTest::keyClicks(m_form->speAtualiza, QStringLiteral("45"));
    QCOMPARE(m_form->timAtualizacaoPv->interval(), 45000);
    QVERIFY(!m_form->timAtualizacaoPv->isActive());
    clickInto(m_form->dbgPlanoVoo);
    QVERIFY(m_form->timAtualizacaoPv->isActive());
    QCOMPARE(m_form->timAtualizacaoPv->interval(), 45000);

    clickInto(m_form->speAtualiza);
    m_form->speAtualiza->selectAll();
    QTest::keyClicks(m_form->speAtualiza, QStringLiteral("5"));
    clickInto(m_form->dbgPlanoVoo);
    QCOMPARE(m_form->speAtualiza->value(), 30);
    QCOMPARE(m_form->timAtualizacaoPv->interval(), 30000);
    QVERIFY(m_form->timAtualizacaoPv->isActive());
}

QTEST_MAIN(RefreshTest)
#include "refresh_test.moc"
