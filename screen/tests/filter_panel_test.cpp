// The filter panel as a user works it: branch code, lookup, date, refresh
// period; its checks, where the focus is at each message, and the loads.

#include "testing/screen/open_screen_test.h"

#include "host/busy_indicator.h"
#include "host/mask_edit.h"

#include <QApplication>
#include <QTest>

using namespace screen::testing;
using Cli_ate25400::TfrmPosFecDiaPlaVoo;
using host::testing::Answer;
using Message = host::testing::FakeDialogs::Message;

namespace {

// Replaces the whole text of an edit as a user does: select all, type.
void retype(QWidget *edit, const QString &text)
{
    clickInto(edit);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

bool suspended(const TfrmPosFecDiaPlaVoo *form)
{
    return !form->cdsPlanoVoo->isActive() && !form->cdsPrevPax->isActive()
           && !form->cdsServPlano->isActive() && !form->sbtFiltrar->isEnabled()
           && !form->mnuFiltrar->isEnabled() && !form->timAtualizacaoPv->isActive();
}

QString messageAt(const QString &text, const QString &focus)
{
    return text + QStringLiteral(" @") + focus;
}

QStringList messagesWithFocus(const host::testing::FakeDialogs &dialogs)
{
    QStringList result;
    for (const Message &message : dialogs.messages())
        result.append(messageAt(message.text, message.focus));
    return result;
}

} // namespace

class FilterPanelTest : public OpenScreenTest
{
    Q_OBJECT

private slots:
    void enteringSuspendsAndLeavingReloadsEverything();
    void codeEditTakesFourUpperCaseCharactersAndClearsTheName();
    void unknownCodeIsRefusedAndCanBeCorrected();
    void rescindedBranchStaysNamedWhileRefused();
    void leavingFromTheCodeChecksItBeforeThePanel();
    void emptyCodeIsDemandedWhenThePanelIsLeft();
    void emptyDateIsDemandedWithTheFocusAlreadyOnIt();
    void invalidDateIsRefusedOnLeavingTheDate();
    void emptyIntervalIsDemandedWithTheFocusAlreadyOnIt();
    void lookupListsEveryBranchAndFillsCodeThenName();
    void anotherBranchIsRead();
    void emptyDayShowsEmptyGridsWithoutMessage();
    void failedForecastKeepsThePlansAndStopsTheDependentReads();
    void periodChangeSetsTheTimerInterval();
};

// Catches an entry that leaves data, commands or timer on, and an exit that
// compares with the last inputs, reads in another order or keeps the busy
// animation or the dependent reads in the wrong state.
void FilterPanelTest::enteringSuspendsAndLeavingReloadsEverything()
{
    clickInto(m_form->medCdFilial);
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));
    QVERIFY(suspended(m_form));
    QTRY_COMPARE(m_form->dbgPlanoVoo->model()->rowCount(), 0);
    QTRY_COMPARE(m_form->dbgServPlano->model()->rowCount(), 0);

    // What the loads see: the animation of kind 6, no dependent reads.
    QStringList duringLoads;
    for (platform::ClientDataSet *set :
         {m_form->cdsPlanoVoo, m_form->cdsPrevPax, m_form->cdsServPlano}) {
        connect(set, &platform::ClientDataSet::reset, this, [&duringLoads, set] {
            duringLoads.append(QStringLiteral("%1 busy=%2 scroll=%3")
                                   .arg(set->objectName())
                                   .arg(host::busyIndicatorKind())
                                   .arg(Cli_ate25400::boScroll));
        });
    }
    clickInto(m_form->dbgPlanoVoo);
    const Flight &first = m_fixture->day.flights.first();
    QCOMPARE(m_fixture->server.callStrings(),
             (QStringList{QStringLiteral("GetPlanoVoo(\"\", \"T\", %1, \"GRU\")")
                              .arg(wireDate(QDateTime(today(), QTime(0, 0), Qt::UTC))),
                          keysCall("GetPrevPax", first), keysCall("GetServPlano", first)}));
    QCOMPARE(duringLoads, (QStringList{"cdsPlanoVoo busy=6 scroll=0", "cdsPrevPax busy=6 scroll=0",
                                       "cdsServPlano busy=6 scroll=0"}));
    QVERIFY(!host::busyIndicatorVisible());
    QVERIFY(Cli_ate25400::boScroll);
    QVERIFY(m_form->sbtFiltrar->isEnabled());
    QVERIFY(m_form->mnuFiltrar->isEnabled());
    QVERIFY(m_form->timAtualizacaoPv->isActive());
    QTRY_COMPARE(m_form->dbgPlanoVoo->model()->rowCount(), 3);
    QTRY_COMPARE(m_form->dbgPrevisaoPax->model()->rowCount(), 2);
    QTRY_COMPARE(m_form->dbgServPlano->model()->rowCount(), 5);
    QVERIFY(m_fixture->dialogs->messages().isEmpty());
}

// Catches lower-case or over-long codes, and a name that survives a change
// of the code.
void FilterPanelTest::codeEditTakesFourUpperCaseCharactersAndClearsTheName()
{
    clickInto(m_form->medCdFilial);
    QCOMPARE(m_form->edtNmFilial->text(), QStringLiteral("Guarulhos"));
    QTest::keyClick(m_form->medCdFilial, Qt::Key_Backspace);
    QCOMPARE(m_form->edtNmFilial->text(), QString());
    retype(m_form->medCdFilial, QStringLiteral("ab1x9"));
    QCOMPARE(m_form->medCdFilial->text(), QStringLiteral("AB1X"));
}

// Catches an unknown code that passes, a message shown with the focus
// already back on the code, a name left from before, and a cascade of
// messages while the user corrects the code.
void FilterPanelTest::unknownCodeIsRefusedAndCanBeCorrected()
{
    retype(m_form->medCdFilial, QStringLiteral("xyz"));
    QTest::keyClick(m_form->medCdFilial, Qt::Key_Tab);
    QCOMPARE(messagesWithFocus(*m_fixture->dialogs),
             QStringList{messageAt("Filial não cadastrada.", "depVoo")});
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));
    QCOMPARE(m_form->edtNmFilial->text(), QString());
    QVERIFY(suspended(m_form));

    retype(m_form->medCdFilial, QStringLiteral("cgh"));
    QTest::keyClick(m_form->medCdFilial, Qt::Key_Tab);
    QCOMPARE(m_fixture->dialogs->messages().size(), 1);
    QCOMPARE(focusName(), QStringLiteral("depVoo"));
    QCOMPARE(m_form->edtNmFilial->text(), QStringLiteral("Congonhas"));
    QVERIFY(m_fixture->server.calls().isEmpty());
}

// Catches a rescinded branch accepted, or refused with its name removed.
void FilterPanelTest::rescindedBranchStaysNamedWhileRefused()
{
    retype(m_form->medCdFilial, QStringLiteral("rec"));
    QTest::keyClick(m_form->medCdFilial, Qt::Key_Tab);
    QCOMPARE(messagesWithFocus(*m_fixture->dialogs),
             QStringList{messageAt("Filial com contrato rescindido.", "depVoo")});
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));
    QCOMPARE(m_form->edtNmFilial->text(), QStringLiteral("Recife"));
}

// Catches the panel's checks running before (or besides) the code edit's,
// and a click on the grid that still moves its row past the refusal.
void FilterPanelTest::leavingFromTheCodeChecksItBeforeThePanel()
{
    retype(m_form->medCdFilial, QStringLiteral("xyz"));
    clickCell(m_form->dbgPlanoVoo, 2, 1);
    QCOMPARE(m_fixture->dialogs->texts(), QStringList{"Filial não cadastrada."});
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));
    QVERIFY(suspended(m_form));
    QVERIFY(m_fixture->server.calls().isEmpty());
}

// Catches a missing branch that is not demanded, or demanded with the focus
// left outside the panel, and a panel exit that goes on to check or load.
void FilterPanelTest::emptyCodeIsDemandedWhenThePanelIsLeft()
{
    retype(m_form->medCdFilial, QString());
    QTest::keyClick(m_form->medCdFilial, Qt::Key_Tab);
    QVERIFY(m_fixture->dialogs->messages().isEmpty());
    QCOMPARE(focusName(), QStringLiteral("depVoo"));
    retype(m_form->depVoo, QString()); // the date is not even looked at
    clickInto(m_form->dbgPlanoVoo);
    QCOMPARE(messagesWithFocus(*m_fixture->dialogs),
             QStringList{messageAt("Filial deve ser informada.", "dbgPlanoVoo")});
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));
    QVERIFY(suspended(m_form));
    QVERIFY(m_fixture->server.calls().isEmpty());
}

// Catches an empty date that passes, and its message shown before the focus
// has moved to the date.
void FilterPanelTest::emptyDateIsDemandedWithTheFocusAlreadyOnIt()
{
    retype(m_form->depVoo, QString());
    clickInto(m_form->dbgServPlano);
    QCOMPARE(messagesWithFocus(*m_fixture->dialogs),
             QStringList{messageAt("Data do plano de vôo deve ser informada.", "depVoo")});
    QCOMPARE(focusName(), QStringLiteral("depVoo"));
    QVERIFY(suspended(m_form));
    QVERIFY(m_fixture->server.calls().isEmpty());
}

// Catches a date like 31/02 taken for another day.
void FilterPanelTest::invalidDateIsRefusedOnLeavingTheDate()
{
    retype(m_form->depVoo, QStringLiteral("31022024"));
    QTest::keyClick(m_form->depVoo, Qt::Key_Tab);
    QCOMPARE(m_fixture->dialogs->texts(), QStringList{"31/02/2024 não é uma data válida."});
    QCOMPARE(focusName(), QStringLiteral("depVoo"));
    QVERIFY(m_fixture->server.calls().isEmpty());
}

// Catches an empty period that passes, or is reported before the focus is on it.
void FilterPanelTest::emptyIntervalIsDemandedWithTheFocusAlreadyOnIt()
{
    retype(m_form->speAtualiza, QString());
    clickInto(m_form->dbgPlanoVoo);
    QCOMPARE(messagesWithFocus(*m_fixture->dialogs),
             QStringList{messageAt("Atualizar (seg.) deve ser informado.", "speAtualiza")});
    QCOMPARE(focusName(), QStringLiteral("speAtualiza"));
    QVERIFY(suspended(m_form));
}

// Catches a lookup that hides rescinded branches or shows other columns, a
// pick that leaves the name cleared by the new code, and a pick checked at
// once instead of when the code edit is left.
void FilterPanelTest::lookupListsEveryBranchAndFillsCodeThenName()
{
    m_fixture->dialogs->pickRow(3);
    QTest::mouseClick(m_form->btnPesqFilial, Qt::LeftButton);
    QCOMPARE(m_fixture->dialogs->pickers().size(), 1);
    const auto &picker = m_fixture->dialogs->pickers().first();
    QCOMPARE(picker.title, QStringLiteral("Filial"));
    QCOMPARE(picker.rowCount, 4);
    QCOMPARE(picker.columns, (QStringList{"Código", "Nome"}));
    QCOMPARE(m_form->medCdFilial->text(), QStringLiteral("REC"));
    QCOMPARE(m_form->edtNmFilial->text(), QStringLiteral("Recife"));
    QVERIFY(m_fixture->dialogs->messages().isEmpty());
    QCOMPARE(focusName(), QStringLiteral("medCdFilial"));

    QTest::keyClick(m_form->medCdFilial, Qt::Key_Tab);
    QCOMPARE(m_fixture->dialogs->texts(), QStringList{"Filial com contrato rescindido."});
}

// Catches a load that keeps reading the branch it started with.
void FilterPanelTest::anotherBranchIsRead()
{
    retype(m_form->medCdFilial, QStringLiteral("cgh"));
    clickInto(m_form->dbgPlanoVoo);
    QVERIFY(m_fixture->dialogs->messages().isEmpty());
    QCOMPARE(m_form->edtNmFilial->text(), QStringLiteral("Congonhas"));
    QVERIFY(m_fixture->server.callStrings().value(0).endsWith(QStringLiteral("\"CGH\")")));
}

// Catches an empty day reported as a failure, or dependent reads skipped
// instead of sent with empty keys.
void FilterPanelTest::emptyDayShowsEmptyGridsWithoutMessage()
{
    DemoDay empty;
    m_fixture->serve(empty);
    clickInto(m_form->medCdFilial);
    clickInto(m_form->dbgPlanoVoo);
    QVERIFY(m_fixture->dialogs->messages().isEmpty());
    const QStringList calls = m_fixture->server.callStrings();
    QCOMPARE(calls.size(), 3);
    QCOMPARE(calls.at(1), QStringLiteral("GetPrevPax(\"\", \"\", \"\", \"\", 1899-12-30 00:00)"));
    QCOMPARE(calls.at(2), QStringLiteral("GetServPlano(\"\", \"\", \"\", \"\", 1899-12-30 00:00)"));
    QTRY_COMPARE(m_form->dbgPlanoVoo->model()->rowCount(), 0);
    QTRY_COMPARE(m_form->dbgPrevisaoPax->model()->rowCount(), 0);
    QTRY_COMPARE(m_form->dbgServPlano->model()->rowCount(), 0);
    QVERIFY(m_form->timAtualizacaoPv->isActive());
}

// Catches a failed forecast read that drops the plans, turns the commands
// and timer off, leaves the busy animation up, pulls the focus back into
// the panel (the next click would reload), or leaves the dependent reads on.
void FilterPanelTest::failedForecastKeepsThePlansAndStopsTheDependentReads()
{
    m_fixture->server.enqueue(QStringLiteral("GetPrevPax"),
                              Answer::failure(QStringLiteral("Previsão indisponível.")));
    clickInto(m_form->medCdFilial);
    clickInto(m_form->dbgPlanoVoo);
    QCOMPARE(m_fixture->dialogs->texts(), QStringList{"Previsão indisponível."});
    QCOMPARE(m_fixture->server.methods(), (QStringList{"GetPlanoVoo", "GetPrevPax"}));
    // The checks passed: the focus stays where the user moved it.
    QCOMPARE(focusName(), QStringLiteral("dbgPlanoVoo"));
    QTRY_COMPARE(m_form->dbgPlanoVoo->model()->rowCount(), 3);
    QVERIFY(!m_form->cdsPrevPax->isActive());
    QVERIFY(m_form->sbtFiltrar->isEnabled());
    QVERIFY(m_form->timAtualizacaoPv->isActive());
    QVERIFY(!host::busyIndicatorVisible());
    QVERIFY(!Cli_ate25400::boScroll);

    m_fixture->server.clearCalls();
    clickCell(m_form->dbgPlanoVoo, 1, 2);
    QCOMPARE(m_form->cdsPlanoVoo->recNo(), 1);
    QVERIFY(m_fixture->server.calls().isEmpty());
}

// Catches a period change that leaves the timer's interval, or starts a
// stopped timer.
void FilterPanelTest::periodChangeSetsTheTimerInterval()
{
    retype(m_form->speAtualiza, QStringLiteral("45"));
    QCOMPARE(m_form->timAtualizacaoPv->interval(), 45000);
    QVERIFY(!m_form->timAtualizacaoPv->isActive());
    clickInto(m_form->dbgPlanoVoo);
    QVERIFY(m_form->timAtualizacaoPv->isActive());
    QCOMPARE(m_form->timAtualizacaoPv->interval(), 45000);
}

QTEST_MAIN(FilterPanelTest)
#include "filter_panel_test.moc"
