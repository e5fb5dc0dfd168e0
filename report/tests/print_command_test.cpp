// The screen's print command and the form's creator: modal, made anew at
// every opening, the cursor and the screen's refresh as they should be.

#include "testing/screen/screen_fixture.h"

#include "host/report/report_designer.h"
#include "platform/abort.h"
#include "platform/screen.h"
#include "report/cli_ate25402.h"
#include "report/frm_rel_pos_fec_dia_pv.h"
#include "screen/closing_position.h"
#include "testing/host/modal_driver.h"
#include "testing/screen/open_screen_test.h"

#include <QApplication>
#include <QPointer>
#include <QTest>

using host::testing::ModalDriver;
using namespace screen::testing;

class PrintCommandTest : public OpenScreenTest
{
    Q_OBJECT

private slots:
    void initTestCase() { host::setDefaultReportFolder(QStringLiteral(ATE_REPORT_SOURCE_DIR)); }
    void cleanupTestCase() { host::setDefaultReportFolder({}); }
    void printOpensANewModalFormEachTime();
    void invalidDateKeepsTheFormClosed();
    void noFormWithoutTheScreen();

private:
    void linkForms() override
    {
        Cli_ate25400::OpenedForms forms;
        forms.reportForm = Cli_ate25402::CriaRelPosFecDiaPV;
        Cli_ate25400::setOpenedForms(std::move(forms));
    }
};

// Catches a form reused after its close (its choices kept), a form that is
// not modal, an hourglass left over the form or after it, and a refresh
// that the print command stops.
void PrintCommandTest::printOpensANewModalFormEachTime()
{
    m_form->timAtualizacaoPv->start();
    QList<Cli_ate25402::TfrmRelPosFecDiaPV *> seen;
    int cursorInside = -1;
    bool createdInside = false;
    const auto close = [&](QWidget *dialog) {
        seen.append(Cli_ate25402::frmRelPosFecDiaPV);
        createdInside = Cli_ate25402::boIdCriado;
        cursorInside =
            QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : -1;
        QVERIFY(m_form->timAtualizacaoPv->isActive());
        QCheckBox *box = dialog->findChild<QCheckBox *>(QStringLiteral("ckbPendente"));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QVERIFY(!box->isChecked());
        QTest::mouseClick(dialog->findChild<QWidget *>(QStringLiteral("sbtFechar")),
                          Qt::LeftButton);
    };
    {
        ModalDriver driver(QStringLiteral("frmRelPosFecDiaPV"), close);
        QTest::mouseClick(m_form->sbtImprimir, Qt::LeftButton);
        QVERIFY2(driver.failure().isEmpty(), qPrintable(driver.failure()));
    }
    QVERIFY(createdInside);
    QVERIFY(cursorInside != Qt::WaitCursor);
    QVERIFY(!Cli_ate25402::boIdCriado);
    QCOMPARE(platform::screenCursor(), platform::ScreenCursor::Default);
    QTRY_VERIFY(!Cli_ate25402::frmRelPosFecDiaPV);

    ModalDriver again(QStringLiteral("frmRelPosFecDiaPV"), [&](QWidget *dialog) {
        auto *form = static_cast<Cli_ate25402::TfrmRelPosFecDiaPV *>(dialog);
        // A new form: the box unticked in the last one is ticked again.
        QVERIFY(form->ckbPendente->isChecked());
        QCOMPARE(form->ckbPendente->Tag, 1);
        seen.append(form);
        form->reject();
    });
    QTest::mouseClick(m_form->sbtImprimir, Qt::LeftButton);
    QVERIFY2(again.failure().isEmpty(), qPrintable(again.failure()));
    QCOMPARE(seen.size(), 2);
    QVERIFY(m_form->timAtualizacaoPv->isActive());
    QCOMPARE(m_fixture->dialogs->texts(), QStringList());
}

// Catches a report form opened over a date the screen would refuse.
void PrintCommandTest::invalidDateKeepsTheFormClosed()
{
    m_form->depVoo->setText(QStringLiteral("31/02/2024"));
    QTest::mouseClick(m_form->sbtImprimir, Qt::LeftButton);
    QCOMPARE(m_fixture->dialogs->texts().size(), 1);
    QVERIFY(m_fixture->dialogs->texts().first().contains(QStringLiteral("31/02/2024")));
    QVERIFY(!Cli_ate25402::frmRelPosFecDiaPV);
    QVERIFY(!Cli_ate25402::boIdCriado);
}

// Catches a form that reaches a closed screen's freed date edit (a crash)
// instead of saying why it cannot open, and a creator that leaves the
// hourglass or a half-made form behind.
void PrintCommandTest::noFormWithoutTheScreen()
{
    QVERIFY(m_fixture->closeScreen());
    QVERIFY(!Cli_ate25400::frmPosFecDiaPlaVoo);
    platform::guarded([] { Cli_ate25402::CriaRelPosFecDiaPV(); });
    QCOMPARE(m_fixture->dialogs->texts(),
             QStringList{QStringLiteral("A tela de posição do fechamento diário do plano de vôo "
                                        "não está aberta.")});
    QVERIFY(!Cli_ate25402::frmRelPosFecDiaPV);
    QVERIFY(!Cli_ate25402::boIdCriado);
    QCOMPARE(platform::screenCursor(), platform::ScreenCursor::Default);
    for (const QWidget *window : QApplication::topLevelWidgets())
        QVERIFY(window->objectName() != QLatin1String("frmRelPosFecDiaPV"));
}

QTEST_MAIN(PrintCommandTest)
#include "print_command_test.moc"
