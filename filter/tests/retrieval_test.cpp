// The screen's own re-read (the verify command, F5) and its filter command,
// around the airline filter dialog: which airlines they ask for, when they
// read nothing, and the dialog's life across screens.

#include "filter/tests/dialog_driver.h"

#include "filter/cli_ate25401.h"
#include "platform/abort.h"

#include <QMenu>
#include <QTest>

using namespace screen::testing;
using Cli_ate25401::TfrmFiltroCia;
using host::testing::Answer;

class RetrievalTest : public FilterDialogTestBase
{
    Q_OBJECT

private slots:
    void verifyBeforeTheDialogAsksForAllAirlines();
    void verifyWithAnEmptyRememberedListAsksForAllAirlines();
    void verifyWithAnEmptyDateReadsNothing();
    void dayWithoutFlightsStillReadsTheDetails();
    void failedForecastKeepsTheNewFlights();
    void filterCommandNeedsADate();
    void ctrlLOnlyWhileTheMenuItemIsEnabled();
    void rememberedListOutlivesTheScreen();
    void dialogWithoutTheScreenReadsNothing();
};

// Catches a verify that sends a list, or passes it by reference, before the
// dialog was ever opened; and a verify that skips the forecast and services.
void RetrievalTest::verifyBeforeTheDialogAsksForAllAirlines()
{
    QVERIFY(!Cli_ate25401::frmFiltroCia);
    m_form->stListaCia = QStringLiteral("JJ");
    clickCell(m_form->dbgPlanoVoo, 1, 0);
    pressF5();
    const Flight &gol = m_fixture->day.flights.at(0);
    QCOMPARE(m_fixture->server.callStrings(),
             (QStringList{planoVooCall(QStringLiteral("\"\", \"T\"")), keysCall("GetPrevPax", gol),
                          keysCall("GetServPlano", gol), keysCall("GetPrevPax", gol),
                          keysCall("GetServPlano", gol), keysCall("GetServPlano", gol)}));
    // The first flight of the new list is current; the timer puts the
    // selection back, not the verify command.
    QCOMPARE(m_form->cdsPlanoVoo->recNo(), 0);
    QVERIFY(m_fixture->dialogs->texts().isEmpty());
}

// Catches an emptied list sent as a list (which reads no flight at all).
void RetrievalTest::verifyWithAnEmptyRememberedListAsksForAllAirlines()
{
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) { close(dialog); }));
    QVERIFY(Cli_ate25401::frmFiltroCia);
    pressF5();
    QCOMPARE(m_fixture->server.callStrings().value(0), planoVooCall(QStringLiteral("\"\", \"T\"")));
    QTRY_COMPARE(shownAirlines(), (QStringList{"G3", "AA", "TP"}));
}

// Catches a verify that reads with an empty date, or reports it.
void RetrievalTest::verifyWithAnEmptyDateReadsNothing()
{
    m_form->depVoo->clear();
    pressF5();
    QCOMPARE(m_fixture->server.callCount(), 0);
    QVERIFY(m_fixture->dialogs->texts().isEmpty());
    // What was on display stays.
    QTRY_COMPARE(shownAirlines(), (QStringList{"G3", "AA", "TP"}));
}

// Catches a day without flights reported as an error, or the detail reads
// skipped or sent with stale keys.
void RetrievalTest::dayWithoutFlightsStillReadsTheDetails()
{
    m_fixture->server.enqueue(QStringLiteral("GetPlanoVoo"), Answer::packet(planoVooPacket({})));
    m_fixture->server.setHandler(QStringLiteral("GetPrevPax"),
                                 [](const auto &) { return Answer::packet(prevPaxPacket({})); });
    pressF5();
    const QString noKeys = QStringLiteral("(\"\", \"\", \"\", \"\", 1899-12-30 00:00)");
    QCOMPARE(m_fixture->server.callStrings(),
             (QStringList{planoVooCall(QStringLiteral("\"\", \"T\"")), "GetPrevPax" + noKeys,
                          "GetServPlano" + noKeys}));
    QTRY_COMPARE(m_form->dbgPlanoVoo->model()->rowCount(), 0);
    QVERIFY(m_fixture->dialogs->texts().isEmpty());
}

// Catches a failed forecast read that takes back the flights just read or
// goes on to read the services.
void RetrievalTest::failedForecastKeepsTheNewFlights()
{
    DemoDay day = m_fixture->day;
    day.flights.removeFirst();
    m_fixture->serve(day);
    m_fixture->server.enqueue(QStringLiteral("GetPrevPax"),
                              Answer::failure(QStringLiteral("Previsão indisponível.")));
    pressF5();
    QCOMPARE(m_fixture->dialogs->texts(), QStringList{"Previsão indisponível."});
    QTRY_COMPARE(shownAirlines(), (QStringList{"AA", "TP"}));
    QCOMPARE(m_fixture->server.callCount(QStringLiteral("GetServPlano")), 0);
    // The previous flight's services stay on display.
    QCOMPARE(m_form->cdsServPlano->fieldByName(QStringLiteral("CDCIA")).asString(),
             QStringLiteral("G3"));
}

// Catches the dialog opened without a date, or the refresh started again
// after the refusal.
void RetrievalTest::filterCommandNeedsADate()
{
    m_form->depVoo->clear();
    QTest::mouseClick(m_form->sbtFiltrar, Qt::LeftButton);
    QVERIFY(!Cli_ate25401::frmFiltroCia);
    QCOMPARE(m_fixture->dialogs->messages().size(), 1);
    QCOMPARE(m_fixture->dialogs->messages().first().text,
             QStringLiteral("Data do plano de vôo deve ser informada."));
    QCOMPARE(focusName(), QStringLiteral("depVoo"));
    QVERIFY(!m_form->timAtualizacaoPv->isActive());
}

// Catches Ctrl+L that opens the dialog while the filter command is off
// (the focus in the filter panel), or does not open it while it is on.
void RetrievalTest::ctrlLOnlyWhileTheMenuItemIsEnabled()
{
    QVERIFY(m_form->mnuFiltrar->isEnabled());
    host::testing::ModalDriver driver(QStringLiteral("frmFiltroCia"), [](QWidget *dialog) {
        QTest::mouseClick(static_cast<TfrmFiltroCia *>(dialog)->sbtFecha, Qt::LeftButton);
    });
    QTest::keyClick(m_form->dbgPlanoVoo, Qt::Key_L, Qt::ControlModifier);
    backToTheScreen();
    QVERIFY(driver.acted());
    QVERIFY(driver.failure().isEmpty());

    clickInto(m_form->speAtualiza);
    QVERIFY(!m_form->mnuFiltrar->isEnabled());
    QVERIFY(!m_form->sbtFiltrar->isEnabled());
    host::testing::ModalDriver unexpected(QStringLiteral("frmFiltroCia"), [](QWidget *dialog) {
        QTest::mouseClick(static_cast<TfrmFiltroCia *>(dialog)->sbtFecha, Qt::LeftButton);
    });
    QTest::keyClick(m_form->speAtualiza, Qt::Key_L, Qt::ControlModifier);
    QVERIFY(!unexpected.acted());
}

// Catches a dialog freed or a list forgotten with the screen that used it,
// and a new screen that does not read with the remembered list.
void RetrievalTest::rememberedListOutlivesTheScreen()
{
    m_fixture->dialogs->pickRows({2});
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        pickAirlines(dialog);
        confirm(dialog);
    }));
    TfrmFiltroCia *dialog = Cli_ate25401::frmFiltroCia;
    QVERIFY(m_fixture->closeScreen());
    QCOMPARE(Cli_ate25401::frmFiltroCia, dialog);

    m_form = m_fixture->open();
    QVERIFY(m_form);
    // The first load of a screen is always for all airlines.
    QTRY_COMPARE(shownAirlines(), (QStringList{"G3", "AA", "TP"}));
    pressF5();
    QCOMPARE(m_fixture->server.callStrings().value(0),
             planoVooCall(QStringLiteral("&\"TP\", \"\"")));
    QTRY_COMPARE(shownAirlines(), QStringList{"TP"});
}

// Catches the dialog reaching a screen that is gone: it must say so and
// read nothing.
void RetrievalTest::dialogWithoutTheScreenReadsNothing()
{
    QVERIFY(m_fixture->closeScreen());
    m_fixture->server.clearCalls();
    platform::guarded([] { Cli_ate25401::criaFiltroCia(); });
    QVERIFY(!Cli_ate25401::frmFiltroCia);
    QCOMPARE(
        m_fixture->dialogs->texts(),
        QStringList{"A tela de posição do fechamento diário do plano de vôo não está aberta."});
    QCOMPARE(m_fixture->server.callCount(), 0);
}

QTEST_MAIN(RetrievalTest)
#include "retrieval_test.moc"
