#include "report/tests/report_fixture.h"

#include "host/forms/create_form.h"
#include "host/report/report_definition.h"
#include "host/report/report_designer.h"
#include "testing/host/fake_dialogs.h"

#include <QApplication>
#include <QTest>
#include <QTextDocument>

namespace report::testing {

QString shippedReportFolder()
{
    return QStringLiteral(ATE_REPORT_SOURCE_DIR);
}

ReportFixture::ReportFixture()
{
    host::setDefaultReportFolder(shippedReportFolder());
    Cli_ate25402::initialization();
    closingScreen = screen.open();
    screen.server.clearCalls();
    m_form = host::createForm<Cli_ate25402::TfrmRelPosFecDiaPV>();
    Cli_ate25402::frmRelPosFecDiaPV = m_form;
    Cli_ate25402::boIdCriado = true;
    m_form->rpddPadrao->setRunner(runner);
    m_form->rpddPadrao->setPreview([](QTextDocument &, const QString &) {});
    // Modal as its creator shows it, without the creator's nested loop.
    m_form->setWindowModality(Qt::ApplicationModal);
    host::testing::showActive(m_form);
    // The activation that showActive() saw is delivered to the widgets here.
    QApplication::processEvents();
}

ReportFixture::~ReportFixture()
{
    delete Cli_ate25402::frmRelPosFecDiaPV;
    Cli_ate25402::finalization();
    host::setDefaultReportFolder({});
}

void ReportFixture::print()
{
    QTest::mouseClick(m_form->sbtImprimir, Qt::LeftButton);
}

void tick(QCheckBox *box)
{
    // On the box itself: the empty room right of the caption takes no click.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

void ReportFixture::typeDate(const QString &digits)
{
    screen::testing::clickInto(m_form->depVoo);
    QTest::keyClick(m_form->depVoo, Qt::Key_A, Qt::ControlModifier);
    if (digits.isEmpty())
        QTest::keyClick(m_form->depVoo, Qt::Key_Backspace);
    else
        QTest::keyClicks(m_form->depVoo, digits);
}

void ReportFixture::chooseReport(const QString &title)
{
    m_form->cbbReportNames->setCurrentIndex(m_form->cbbReportNames->findText(title));
}

} // namespace report::testing
