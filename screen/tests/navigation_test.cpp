// Moving in the flight plans and in the forecast reads the rows below anew;
// the price column follows the airline of the services on display.

#include "testing/screen/open_screen_test.h"

#include "platform/db_text.h"
#include "platform/grid_column.h"

#include <QTest>

using namespace screen::testing;
using Cli_ate25400::TfrmPosFecDiaPlaVoo;
using host::testing::Answer;

class NavigationTest : public OpenScreenTest
{
    Q_OBJECT

private slots:
    void eachFlightMoveReadsItsForecastThenServicesOnce();
    void priceColumnFollowsTheServicesOnDisplay();
    void flightWithoutForecastKeepsTheServicesShown();
    void classMovesReadTheSameServicesAgain();
    void refusedServicesReadKeepsTheServicesShown();

private:
    QString priceField() const { return m_form->dbgServPlano->column(7).fieldName(); }
};

// Catches a move that reads nothing, reads twice, or reads with the keys of
// the flight left behind; and the keyboard moving without reading.
void NavigationTest::eachFlightMoveReadsItsForecastThenServicesOnce()
{
    const Flight &gol = m_fixture->day.flights.at(0);
    const Flight &american = m_fixture->day.flights.at(1);
    clickCell(m_form->dbgPlanoVoo, 1, 3);
    QCOMPARE(m_fixture->server.callStrings(),
             (QStringList{keysCall("GetPrevPax", american), keysCall("GetServPlano", american)}));
    QTRY_COMPARE(m_form->dbgPrevisaoPax->model()->rowCount(), 1);
    QTRY_COMPARE(m_form->dbgServPlano->model()->rowCount(), 1);
    QCOMPARE(m_form->dbtNome->text(), QStringLiteral("0950"));

    m_fixture->server.clearCalls();
    QTest::keyClick(m_form->dbgPlanoVoo, Qt::Key_Up);
    QCOMPARE(m_form->cdsPlanoVoo->recNo(), 0);
    QCOMPARE(m_fixture->server.callStrings(),
             (QStringList{keysCall("GetPrevPax", gol), keysCall("GetServPlano", gol)}));
    QTRY_COMPARE(m_form->dbgServPlano->model()->rowCount(), 5);
}

// Catches the price column left on the nationality flag at the first load,
// bound by the services shown before the move (a Brazilian airline's prices
// in dollars), or told by position.
void NavigationTest::priceColumnFollowsTheServicesOnDisplay()
{
    // On display: the Brazilian airline's services ("1").
    QCOMPARE(priceField(), QStringLiteral("VRPRURESESP"));
    QCOMPARE(m_form->dbgServPlano->column(7).title(), QStringLiteral("Preço"));
    clickCell(m_form->dbgPlanoVoo, 1, 0);
    QCOMPARE(priceField(), QStringLiteral("VRPRUDOLSESP"));
    clickCell(m_form->dbgPlanoVoo, 0, 0);
    QCOMPARE(priceField(), QStringLiteral("VRPRURESESP"));
}

// Catches services read (or cleared) for a flight whose forecast is empty.
void NavigationTest::flightWithoutForecastKeepsTheServicesShown()
{
    const Flight &tap = m_fixture->day.flights.at(2);
    clickCell(m_form->dbgPlanoVoo, 2, 0);
    QCOMPARE(m_fixture->server.callStrings(), QStringList{keysCall("GetPrevPax", tap)});
    QVERIFY(m_form->cdsPrevPax->isEmpty());
    QTRY_COMPARE(m_form->dbgServPlano->model()->rowCount(), 5);
    QCOMPARE(m_form->cdsServPlano->fieldByName("NRVOO").asString(), QStringLiteral("1234"));
}

// Catches class moves that read nothing, or send the cabin class.
void NavigationTest::classMovesReadTheSameServicesAgain()
{
    const Flight &gol = m_fixture->day.flights.at(0);
    clickCell(m_form->dbgPrevisaoPax, 1, 0);
    clickCell(m_form->dbgPrevisaoPax, 0, 1);
    QCOMPARE(m_fixture->server.callStrings(),
             (QStringList{keysCall("GetServPlano", gol), keysCall("GetServPlano", gol)}));
    QTRY_COMPARE(m_form->dbgServPlano->model()->rowCount(), 5);
}

// Catches a refused reply that empties the services, is not shown, or
// undoes the move that raised it.
void NavigationTest::refusedServicesReadKeepsTheServicesShown()
{
    m_fixture->server.enqueue(QStringLiteral("GetServPlano"),
                              Answer::failure(QStringLiteral("Serviços indisponíveis.")));
    clickCell(m_form->dbgPlanoVoo, 1, 0);
    QCOMPARE(m_fixture->dialogs->texts(), QStringList{"Serviços indisponíveis."});
    QCOMPARE(m_form->cdsPlanoVoo->recNo(), 1);
    QTRY_COMPARE(m_form->dbgPrevisaoPax->model()->rowCount(), 1);
    QTRY_COMPARE(m_form->dbgServPlano->model()->rowCount(), 5);
    QCOMPARE(m_form->cdsServPlano->fieldByName("NRVOO").asString(), QStringLiteral("1234"));
}

QTEST_MAIN(NavigationTest)
#include "navigation_test.moc"
