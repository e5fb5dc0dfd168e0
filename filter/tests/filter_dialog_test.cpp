// The airline filter dialog as the supervisor uses it: opened from the
// screen's toolbar, airlines picked, confirmed or closed, and what the
// screen then reads.

#include "filter/tests/dialog_driver.h"

#include "host/busy_indicator.h"
#include "host/forms/saved_options.h"
#include "host/qt_dialogs.h"

#include <QTableView>
#include <QTest>

using namespace screen::testing;
using Cli_ate25401::TfrmFiltroCia;
using host::testing::Answer;
using host::testing::ModalDriver;

namespace {

// The host's real pickers; messages recorded instead of shown.
class RealPickers : public host::QtDialogs
{
public:
    explicit RealPickers(host::Dialogs *restore)
        : m_restore(restore)
    {
        host::setDialogs(this);
    }
    ~RealPickers() override { host::setDialogs(m_restore); }

    QStringList texts;

protected:
    void showMessage(host::MessageKind, const QString &text) override { texts.append(text); }

private:
    host::Dialogs *m_restore;
};

} // namespace

class FilterDialogTest : public FilterDialogTestBase
{
    Q_OBJECT

private slots:
    void firstShowingOffersAllAirlines();
    void confirmAllSendsTheFlagByReference();
    void confirmListReloadsWithThoseAirlinesAndPreMarksThem();
    void realPickerMarksWithTheMouse();
    void listWithoutAirlinesIsRefused();
    void choosingAllForgetsTheRememberedList();
    void closingWithoutConfirmKeepsThePickForTheNextVerify();
    void eachLookupStartsFromTheRememberedList();
    void failedConfirmKeepsTheDialogOpen();
    void failedAirlineReadShowsNoPicker();
    void branchWithoutAirlinesSaysSo();
    void savedOptionsSurviveANewDialog();
};

// Catches a first showing with "Lista" chosen, the lookup enabled or a
// working list left over from elsewhere.
void FilterDialogTest::firstShowingOffersAllAirlines()
{
    Cli_ate25400::stLista = QStringLiteral("XX");
    QVERIFY(!Cli_ate25401::frmFiltroCia);
    bool todas = false, lookupEnabled = true;
    QString working = QStringLiteral("?");
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        todas = dialog.rbtTodas->isChecked();
        lookupEnabled = dialog.btnCia->isEnabled();
        working = Cli_ate25400::stLista;
        close(dialog);
    }));
    QVERIFY(todas);
    QVERIFY(!lookupEnabled);
    QCOMPARE(working, QString());
    QCOMPARE(Cli_ate25401::frmFiltroCia->windowTitle(), QStringLiteral("Filtro Companhia"));
    QCOMPARE(Cli_ate25401::frmFiltroCia->size(), QSize(180, 147));
    // Nothing read on the way: the dialog only reads when asked to.
    QCOMPARE(m_fixture->server.callCount(), 0);
}

// Catches "Todas" sent by value, with a list, or without reading the
// forecast and services of the first flight; and a next showing on "Lista".
void FilterDialogTest::confirmAllSendsTheFlagByReference()
{
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) { confirm(dialog); }));
    const Flight &gol = m_fixture->day.flights.at(0);
    QCOMPARE(
        m_fixture->server.callStrings(),
        (QStringList{planoVooCall(QStringLiteral("&\"\", &\"T\"")), keysCall("GetPrevPax", gol),
                     keysCall("GetServPlano", gol), keysCall("GetPrevPax", gol),
                     keysCall("GetServPlano", gol), keysCall("GetServPlano", gol)}));
    QCOMPARE(Cli_ate25401::frmFiltroCia->ListaFiltro.stCias, QString());
    QVERIFY(m_form->timAtualizacaoPv->isActive());
    QVERIFY(!host::busyIndicatorVisible());

    bool todas = false;
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        todas = dialog.rbtTodas->isChecked();
        close(dialog);
    }));
    QVERIFY(todas);
}

// Catches a list sent with the flag, by value, or changed on the way; the
// screen not narrowed to it; the next showing not back on the list with
// those airlines marked.
void FilterDialogTest::confirmListReloadsWithThoseAirlinesAndPreMarksThem()
{
    m_fixture->dialogs->pickRows({0, 2});
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        pickAirlines(dialog);
        confirm(dialog);
    }));
    QCOMPARE(m_fixture->server.callStrings().value(0), QStringLiteral("GetCia(\"GRU\")"));
    QCOMPARE(m_fixture->server.callStrings().at(1),
             planoVooCall(QStringLiteral("&\"G3,TP\", &\"\"")));
    QTRY_COMPARE(shownAirlines(), (QStringList{"G3", "TP"}));
    QCOMPARE(Cli_ate25401::frmFiltroCia->ListaFiltro.stCias, QStringLiteral("G3,TP"));

    m_fixture->dialogs->cancel();
    bool lista = false, lookupEnabled = false;
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        lista = dialog.rbtLista->isChecked();
        lookupEnabled = dialog.btnCia->isEnabled();
        QTest::mouseClick(dialog.btnCia, Qt::LeftButton);
        close(dialog);
    }));
    QVERIFY(lista);
    QVERIFY(lookupEnabled);
    QCOMPARE(m_fixture->dialogs->pickers().last().marked, (QStringList{"G3", "TP"}));
}

// Catches a real picker that is not given the airlines of the branch, or
// whose marks do not reach the screen.
void FilterDialogTest::realPickerMarksWithTheMouse()
{
    RealPickers pickers(m_fixture->dialogs.get());
    QStringList startedMarked;
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        QTest::mouseClick(dialog.rbtLista, Qt::LeftButton);
        ModalDriver picker(QStringLiteral("dlgPesquisaLista"), [](QWidget *box) {
            auto *view = box->findChild<QTableView *>(QStringLiteral("tbvLista"));
            clickCell(view, 1, 0); // American
            clickCell(view, 2, 0); // TAP
            QTest::mouseClick(box->findChild<QWidget *>(QStringLiteral("btnOk")), Qt::LeftButton);
        });
        QTest::mouseClick(dialog.btnCia, Qt::LeftButton);
        QVERIFY(picker.acted());
        confirm(dialog);
    }));
    QVERIFY(pickers.texts.isEmpty());
    QTRY_COMPARE(shownAirlines(), (QStringList{"AA", "TP"}));

    // Shown again, the picker starts from the remembered airlines.
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        ModalDriver picker(QStringLiteral("dlgPesquisaLista"), [&](QWidget *box) {
            auto *view = box->findChild<QTableView *>(QStringLiteral("tbvLista"));
            for (int row = 0; row < view->model()->rowCount(); ++row) {
                if (view->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked)
                    startedMarked.append(view->model()->index(row, 1).data().toString());
            }
            QTest::mouseClick(box->findChild<QWidget *>(QStringLiteral("btnCancelar")),
                              Qt::LeftButton);
        });
        QTest::mouseClick(dialog.btnCia, Qt::LeftButton);
        close(dialog);
    }));
    QCOMPARE(startedMarked, (QStringList{"AAL", "TAP"}));
}

// Catches "Lista" confirmed with nothing picked: a read for no airline, or
// a dialog that closes.
void FilterDialogTest::listWithoutAirlinesIsRefused()
{
    bool stillOpen = false;
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        QTest::mouseClick(dialog.rbtLista, Qt::LeftButton);
        QTest::mouseClick(dialog.sbtConfirma, Qt::LeftButton);
        stillOpen = dialog.isVisible();
        close(dialog);
    }));
    QVERIFY(stillOpen);
    QCOMPARE(m_fixture->dialogs->texts(), QStringList{"Companhia deve ser informada."});
    QCOMPARE(m_fixture->server.callCount(QStringLiteral("GetPlanoVoo")), 0);
}

// Catches "Todas" that keeps the remembered list, so that "Lista" and the
// lookup start from airlines the user just let go of.
void FilterDialogTest::choosingAllForgetsTheRememberedList()
{
    m_fixture->dialogs->pickRows({1});
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        pickAirlines(dialog);
        confirm(dialog);
    }));
    m_fixture->dialogs->cancel();
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        QTest::mouseClick(dialog.rbtTodas, Qt::LeftButton);
        QTest::mouseClick(dialog.rbtLista, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCia, Qt::LeftButton);
        close(dialog);
    }));
    QCOMPARE(m_fixture->dialogs->pickers().last().marked, QStringList());
}

// Catches a pick lost when the dialog is closed without confirming, and a
// closing that reads anything or leaves the refresh stopped.
void FilterDialogTest::closingWithoutConfirmKeepsThePickForTheNextVerify()
{
    m_fixture->dialogs->pickRows({1});
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        pickAirlines(dialog);
        m_fixture->server.clearCalls();
        close(dialog);
    }));
    QCOMPARE(m_fixture->server.callCount(), 0);
    QVERIFY(m_form->timAtualizacaoPv->isActive());
    QCOMPARE(Cli_ate25401::frmFiltroCia->ListaFiltro.stCias, QStringLiteral("AA"));

    pressF5();
    QCOMPARE(m_fixture->server.callStrings().value(0),
             planoVooCall(QStringLiteral("&\"AA\", \"\"")));
    QTRY_COMPARE(shownAirlines(), QStringList{"AA"});
}

// Catches a second lookup in one showing that starts from the first one's
// marks instead of the remembered list.
void FilterDialogTest::eachLookupStartsFromTheRememberedList()
{
    m_fixture->dialogs->pickRows({0});
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        pickAirlines(dialog);
        confirm(dialog);
    }));
    m_fixture->dialogs->pickRows({1, 2});
    m_fixture->dialogs->cancel();
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        QTest::mouseClick(dialog.btnCia, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCia, Qt::LeftButton);
        close(dialog);
    }));
    const auto &pickers = m_fixture->dialogs->pickers();
    QCOMPARE(pickers.size(), 3);
    QCOMPARE(pickers.at(1).marked, QStringList{"G3"});
    QCOMPARE(pickers.at(2).marked, QStringList{"G3"});
}

// Catches a failed confirm that closes the dialog, leaves the busy
// animation up, or forgets the pick.
void FilterDialogTest::failedConfirmKeepsTheDialogOpen()
{
    m_fixture->dialogs->pickRows({0});
    bool stillOpen = false, busy = true;
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        pickAirlines(dialog);
        m_fixture->server.enqueue(QStringLiteral("GetPlanoVoo"),
                                  Answer::failure(QStringLiteral("Banco de dados indisponível.")));
        QTest::mouseClick(dialog.sbtConfirma, Qt::LeftButton);
        stillOpen = dialog.isVisible();
        busy = host::busyIndicatorVisible();
        close(dialog);
    }));
    QVERIFY(stillOpen);
    QVERIFY(!busy);
    QCOMPARE(m_fixture->dialogs->texts(), QStringList{"Banco de dados indisponível."});
    // The flights on display are still those of the first load.
    QTRY_COMPARE(shownAirlines(), (QStringList{"G3", "AA", "TP"}));
    QCOMPARE(Cli_ate25401::frmFiltroCia->ListaFiltro.stCias, QStringLiteral("G3"));
}

// Catches a picker shown over airlines that were never read, and the busy
// animation left up after the failure.
void FilterDialogTest::failedAirlineReadShowsNoPicker()
{
    m_fixture->server.enqueue(QStringLiteral("GetCia"),
                              Answer::failure(QStringLiteral("Filial sem companhias.")));
    bool busy = true;
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        QTest::mouseClick(dialog.rbtLista, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCia, Qt::LeftButton);
        busy = host::busyIndicatorVisible();
        close(dialog);
    }));
    QVERIFY(!busy);
    QVERIFY(m_fixture->dialogs->pickers().isEmpty());
    QCOMPARE(m_fixture->dialogs->texts(), QStringList{"Filial sem companhias."});
}

// Catches an empty picker, or a silent one, for a branch without airlines.
void FilterDialogTest::branchWithoutAirlinesSaysSo()
{
    m_fixture->server.enqueue(QStringLiteral("GetCia"), Answer::packet(ciaPacket({})));
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        pickAirlines(dialog);
        close(dialog);
    }));
    QVERIFY(m_fixture->dialogs->pickers().isEmpty());
    QCOMPARE(m_fixture->dialogs->texts(),
             QStringList{"Não há companhia cadastrada para a filial informada."});
}

// Catches saved options that are not written where a new dialog (the next
// run of the host) reads them, or a load that changes the choice on screen.
void FilterDialogTest::savedOptionsSurviveANewDialog()
{
    QTemporaryDir folder;
    host::setOptionsFolder(folder.path());
    m_fixture->dialogs->pickRows({1, 2});
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        pickAirlines(dialog);
        QTest::mouseClick(dialog.btfSaveOpc, Qt::LeftButton);
        close(dialog);
    }));
    QVERIFY(QFile::exists(host::optionsFilePath(QStringLiteral("frmFiltroCia"))));

    // The next run of the host makes the dialog anew.
    delete Cli_ate25401::frmFiltroCia;
    QVERIFY(!Cli_ate25401::frmFiltroCia);
    bool todas = false;
    QString loaded;
    QVERIFY(runDialog([&](TfrmFiltroCia &dialog) {
        QTest::mouseClick(dialog.btfLoadOpc, Qt::LeftButton);
        todas = dialog.rbtTodas->isChecked();
        loaded = Cli_ate25400::stLista;
        // Takes effect once "Lista" is confirmed without a new lookup.
        QTest::mouseClick(dialog.rbtLista, Qt::LeftButton);
        confirm(dialog);
    }));
    host::setOptionsFolder(QString());
    QVERIFY(todas);
    QCOMPARE(loaded, QStringLiteral("AA,TP"));
    QTRY_COMPARE(shownAirlines(), (QStringList{"AA", "TP"}));
}

QTEST_MAIN(FilterDialogTest)
#include "filter_dialog_test.moc"
