// Creating, showing, activating and closing the closing position screen.

#include "testing/screen/real_boxes.h"
#include "testing/screen/screen_fixture.h"

#include "host/busy_indicator.h"
#include "host/forms/create_form.h"
#include "host/host_context.h"
#include "host/mask_edit.h"
#include "host/net/net_connection.h"
#include "platform/screen.h"

#include <QTest>

using namespace screen::testing;
using Cli_ate25400::TfrmPosFecDiaPlaVoo;

namespace {

QString allAirlinesCall(const QString &branch = QStringLiteral("GRU"))
{
    return QStringLiteral("GetPlanoVoo(\"\", \"T\", %1, \"%2\")")
        .arg(wireDate(QDateTime(today(), QTime(0, 0), Qt::UTC)), branch);
}

int rowsOf(const platform::ClientDataSet *set)
{
    return set->isActive() ? set->recordCount() : -1;
}

} // namespace

class CreationTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture = std::make_unique<ScreenFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void createdScreenHoldsOnlyThePlans();
    void firstActivationLoadsTheWholePosition();
    void secondCallShowsTheSameScreen();
    void closedScreenIsGoneAndMadeAnew();
    void screenDestroyedWithoutClosingIsMadeAnew();
    void failedConnectLeavesAScreenToRetryFrom();
    void refusedCreationReadLeavesNoRowsAndNoFirstLoad();
    void boundModuleFixesTheBranch();
    void screenOf640By480IsMaximised();
    void otherScreenSizesOpenNormal();
    void firstActivationWithoutBranchAsksOnceAndAgainNextTime();

private:
    std::unique_ptr<ScreenFixture> m_fixture;
};

// Catches a creation that reads more than the flight plans, reads them for
// another branch or date, or already switches the filter command and timer on.
void CreationTest::createdScreenHoldsOnlyThePlans()
{
    TfrmPosFecDiaPlaVoo *form = host::createForm<TfrmPosFecDiaPlaVoo>();
    QCOMPARE(m_fixture->server.callStrings(), QStringList{allAirlinesCall()});
    QCOMPARE(m_fixture->server.lastCall().module, QStringLiteral("Ate25400.rdmPosFDiPlav"));
    QCOMPARE(form->netPosFDiPlav->port(), m_fixture->server.port());
    QCOMPARE(form->netPosFDiPlav->host(), m_fixture->server.host());
    QCOMPARE(form->medCdFilial->text(), QStringLiteral("GRU"));
    QCOMPARE(form->edtNmFilial->text(), QStringLiteral("Guarulhos"));
    QCOMPARE(rowsOf(form->cdsPlanoVoo), 3);
    QVERIFY(!form->cdsPrevPax->isActive());
    QVERIFY(!form->cdsServPlano->isActive());
    QVERIFY(!form->timAtualizacaoPv->isActive());
    // The first period is the field's 120 s, not the timer's laid-out 30 s.
    QCOMPARE(form->timAtualizacaoPv->interval(), 120000);
    QVERIFY(!form->sbtFiltrar->isEnabled());
    QVERIFY(!form->mnuFiltrar->isEnabled());
    QVERIFY(Cli_ate25400::boPrimVez);
    QVERIFY(!Cli_ate25400::boScroll);
    QVERIFY(!host::busyIndicatorVisible());
    QVERIFY(m_fixture->dialogs->messages().isEmpty());
    delete form->subWindow();
}

// Catches a first activation that skips the retrieval, loads without the
// forecast and services of the first flight, or leaves the screen suspended.
void CreationTest::firstActivationLoadsTheWholePosition()
{
    TfrmPosFecDiaPlaVoo *form = m_fixture->open();
    QVERIFY(form);
    const Flight &first = m_fixture->day.flights.first();
    QCOMPARE(m_fixture->server.callStrings(),
             (QStringList{allAirlinesCall(), allAirlinesCall(), keysCall("GetPrevPax", first),
                          keysCall("GetServPlano", first)}));
    QVERIFY(m_fixture->dialogs->messages().isEmpty());
    QCOMPARE(rowsOf(form->cdsPlanoVoo), 3);
    QCOMPARE(rowsOf(form->cdsPrevPax), 2);
    QCOMPARE(rowsOf(form->cdsServPlano), 5);
    QTRY_COMPARE(form->dbgPlanoVoo->model()->rowCount(), 3);
    QTRY_COMPARE(form->dbgServPlano->model()->rowCount(), 5);
    QVERIFY(form->sbtFiltrar->isEnabled());
    QVERIFY(form->mnuFiltrar->isEnabled());
    QVERIFY(form->timAtualizacaoPv->isActive());
    QVERIFY(!Cli_ate25400::boPrimVez);
    QVERIFY(Cli_ate25400::boScroll);
    QVERIFY(Cli_ate25400::boIdCriado);
    QVERIFY(!host::busyIndicatorVisible());
    QCOMPARE(platform::screenCursor(), platform::ScreenCursor::Default);
    QCOMPARE(focusName(), QStringLiteral("dbgPlanoVoo"));
    QCOMPARE(form->formWindowState(), Qt::WindowNoState);
}

// Catches a second screen made while one is open, and a second first load.
void CreationTest::secondCallShowsTheSameScreen()
{
    TfrmPosFecDiaPlaVoo *form = m_fixture->open();
    const int calls = m_fixture->server.callCount();
    QCOMPARE(m_fixture->open(), form);
    QCOMPARE(m_fixture->area->subWindowList().size(), 1);
    QCOMPARE(m_fixture->server.callCount(), calls);
}

// Catches a closed screen still reachable through the unit's instance
// variable (a freed object), and a creator that keeps reusing it or makes
// a new one that skips its own reads.
void CreationTest::closedScreenIsGoneAndMadeAnew()
{
    QPointer<TfrmPosFecDiaPlaVoo> firstScreen = m_fixture->open();
    QVERIFY(m_fixture->closeScreen());
    QVERIFY(firstScreen.isNull());
    QCOMPARE(Cli_ate25400::frmPosFecDiaPlaVoo, nullptr);
    QVERIFY(!Cli_ate25400::boIdCriado);
    QVERIFY(m_fixture->area->subWindowList().isEmpty());

    m_fixture->server.clearCalls();
    TfrmPosFecDiaPlaVoo *second = m_fixture->open();
    QVERIFY(second);
    QCOMPARE(Cli_ate25400::frmPosFecDiaPlaVoo, second);
    // boScroll outlives the first screen, so the plans read by FormCreate
    // already bring their forecast and services; then the first retrieval.
    const Flight &first = m_fixture->day.flights.first();
    const QStringList chain = {allAirlinesCall(), keysCall("GetPrevPax", first),
                               keysCall("GetServPlano", first)};
    QCOMPARE(m_fixture->server.callStrings(), chain + chain);
    QCOMPARE(m_fixture->area->subWindowList().size(), 1);
}

// Catches a creator that reaches a screen destroyed without FormClose (its
// sub-window deleted with the host's window) instead of making a new one.
void CreationTest::screenDestroyedWithoutClosingIsMadeAnew()
{
    QPointer<TfrmPosFecDiaPlaVoo> firstScreen = m_fixture->open();
    delete firstScreen->subWindow();
    QVERIFY(firstScreen.isNull());
    QCOMPARE(Cli_ate25400::frmPosFecDiaPlaVoo, nullptr);
    QVERIFY(!Cli_ate25400::boIdCriado);
    TfrmPosFecDiaPlaVoo *second = m_fixture->open();
    QVERIFY(second);
    QCOMPARE(m_fixture->area->subWindowList().size(), 1);
}

// Catches a failed connect that is swallowed, that leaves the busy
// animation up, presets the branch or marks the first load as due; and a
// screen the user cannot recover from once the server is back.
void CreationTest::failedConnectLeavesAScreenToRetryFrom()
{
    m_fixture->server.stop();
    TfrmPosFecDiaPlaVoo *form = m_fixture->open();
    QVERIFY(form);
    QVERIFY(Cli_ate25400::boIdCriado);
    QCOMPARE(m_fixture->dialogs->messages().size(), 1);
    QVERIFY2(m_fixture->dialogs->texts().first().contains(QStringLiteral("servidor")),
             qPrintable(m_fixture->dialogs->texts().first()));
    QVERIFY(!host::busyIndicatorVisible());
    QCOMPARE(form->medCdFilial->text(), QString());
    QVERIFY(!form->cdsPlanoVoo->isActive());
    QVERIFY(!Cli_ate25400::boPrimVez);
    QVERIFY(!form->timAtualizacaoPv->isActive());

    // The server comes back; the user gives the branch and leaves the panel.
    m_fixture->server.start();
    m_fixture->dialogs->clear();
    clickInto(form->medCdFilial);
    QTest::keyClicks(form->medCdFilial, QStringLiteral("gru"));
    clickInto(form->dbgPlanoVoo);
    QCOMPARE(m_fixture->dialogs->texts(), QStringList());
    QCOMPARE(form->edtNmFilial->text(), QStringLiteral("Guarulhos"));
    QCOMPARE(m_fixture->server.methods(),
             (QStringList{"GetPlanoVoo", "GetPrevPax", "GetServPlano"}));
    QCOMPARE(rowsOf(form->cdsPlanoVoo), 3);
}

// Catches a refused reply that still loads rows or lets the first
// activation read: with boPrimVez left false the activation reads nothing.
void CreationTest::refusedCreationReadLeavesNoRowsAndNoFirstLoad()
{
    m_fixture->server.enqueue(
        QStringLiteral("GetPlanoVoo"),
        host::testing::Answer::failure(QStringLiteral("Base de dados indisponível.")));
    TfrmPosFecDiaPlaVoo *form = m_fixture->open();
    QVERIFY(form);
    QCOMPARE(m_fixture->dialogs->texts(), QStringList{"Base de dados indisponível."});
    QCOMPARE(m_fixture->server.callCount(), 1);
    QVERIFY(!form->cdsPlanoVoo->isActive() || form->cdsPlanoVoo->isEmpty());
    QCOMPARE(form->medCdFilial->text(), QStringLiteral("GRU"));
    QVERIFY(!Cli_ate25400::boPrimVez);
    QVERIFY(!form->sbtFiltrar->isEnabled());
}

// Catches branch controls left enabled when the module is bound to the branch.
void CreationTest::boundModuleFixesTheBranch()
{
    host::context().setModuleBoundToBranch(true);
    TfrmPosFecDiaPlaVoo *form = m_fixture->open();
    QVERIFY(!form->medCdFilial->isEnabled());
    QVERIFY(!form->btnPesqFilial->isEnabled());
    QVERIFY(!form->lblFilial->isEnabled());
    QCOMPARE(form->medCdFilial->text(), QStringLiteral("GRU"));
    QVERIFY(form->depVoo->isEnabled());
}

// Catches the 640 × 480 rule missing at opening or at a later activation.
void CreationTest::screenOf640By480IsMaximised()
{
    platform::setScreenSizeOverride(QSize(640, 480));
    TfrmPosFecDiaPlaVoo *form = m_fixture->open();
    QCOMPARE(form->formWindowState(), Qt::WindowMaximized);

    form->setFormWindowState(Qt::WindowNoState);
    auto *other = new QWidget;
    other->setObjectName(QStringLiteral("frmOutra"));
    QMdiSubWindow *otherWindow = m_fixture->area->addSubWindow(other);
    otherWindow->show();
    m_fixture->area->setActiveSubWindow(otherWindow);
    otherWindow->showNormal();
    m_fixture->area->setActiveSubWindow(form->subWindow());
    QCOMPARE(form->formWindowState(), Qt::WindowMaximized);
}

// Catches a screen left maximised by the user and shown again maximised on
// a screen other than 640 × 480.
void CreationTest::otherScreenSizesOpenNormal()
{
    TfrmPosFecDiaPlaVoo *form = m_fixture->open();
    form->setFormWindowState(Qt::WindowMaximized);
    m_fixture->open();
    QCOMPARE(form->formWindowState(), Qt::WindowNoState);
}

// Catches a refusal of the first activation that is not repeated at the next
// activation, and a message box whose closing re-activates the screen and
// shows the refusal again and again.
void CreationTest::firstActivationWithoutBranchAsksOnceAndAgainNextTime()
{
    m_fixture->dialogs.reset();
    RealBoxes boxes;
    host::context().setBranchCode(QString());
    host::context().setBranchName(QString());
    TfrmPosFecDiaPlaVoo *form = m_fixture->open();
    QVERIFY(form);
    QCOMPARE(boxes.texts, QStringList{"Filial deve ser informada."});
    QVERIFY2(boxes.failures.isEmpty(), qPrintable(boxes.failures.join('\n')));
    QVERIFY(Cli_ate25400::boPrimVez);
    QCOMPARE(boxes.focusAtMessage, QStringList{"dbgPlanoVoo"});
    // The window comes back once the box is gone, with the focus on the code.
    m_fixture->window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_fixture->window));
    QTRY_COMPARE(focusName(), QStringLiteral("medCdFilial"));
    // No further activation comes from the box closing over the screen.
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(m_fixture->server.methods(), QStringList{"GetPlanoVoo"});

    // Another child, then the screen again: the first load is tried again.
    auto *other = new QWidget;
    other->setObjectName(QStringLiteral("frmOutra"));
    QMdiSubWindow *otherWindow = m_fixture->area->addSubWindow(other);
    otherWindow->show();
    m_fixture->area->setActiveSubWindow(otherWindow);
    m_fixture->area->setActiveSubWindow(form->subWindow());
    QTRY_COMPARE(boxes.texts.size(), 2);
    QCOMPARE(boxes.texts.last(), QStringLiteral("Filial deve ser informada."));
    QVERIFY(Cli_ate25400::boPrimVez);
}

QTEST_MAIN(CreationTest)
#include "creation_test.moc"
