#include "app/report_pdf_job.h"

#include "host/report/report_designer.h"
#include "platform/abort.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <cstdio>

namespace app {
namespace {

const QString ReportFormName = QStringLiteral("frmRelPosFecDiaPV");

QAbstractButton *button(QWidget *form, const QString &name)
{
    return form ? form->findChild<QAbstractButton *>(name) : nullptr;
}

} // namespace

ReportPdfJob::ReportPdfJob(QMdiArea *area, QString fileName, ScreenshotJob::Probe probe,
                           int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_area(area)
    , m_fileName(QFileInfo(fileName).absoluteFilePath())
    , m_probe(std::move(probe))
    , m_timeoutMs(timeoutMs)
{
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, [this] { platform::guarded([this] { poll(); }); });
    // Runs inside the report form's modal loop.
    m_formTimer.setInterval(20);
    connect(&m_formTimer, &QTimer::timeout, this,
            [this] { platform::guarded([this] { driveReportForm(); }); });
}

ReportPdfJob::~ReportPdfJob()
{
    host::setReportPdfOutput({});
}

void ReportPdfJob::start()
{
    m_elapsed.start();
    m_timer.start();
}

void ReportPdfJob::poll()
{
    if (m_done)
        return;
    const QString failure = m_probe.failure ? m_probe.failure() : QString();
    if (!failure.isEmpty()) {
        fail(QCoreApplication::translate("ReportPdfJob", "a tela não abriu: %1").arg(failure));
        return;
    }
    if (m_probe.ready && m_probe.ready()) {
        m_done = true;
        m_timer.stop();
        // Out of the timer's slot: the print command runs a modal loop.
        QTimer::singleShot(0, this, [this] { platform::guarded([this] { print(); }); });
        return;
    }
    if (m_elapsed.elapsed() > m_timeoutMs)
        fail(QCoreApplication::translate("ReportPdfJob",
                                         "a tela não terminou a primeira carga em %1 s.")
                 .arg(m_timeoutMs / 1000.0, 0, 'f', 1));
}

void ReportPdfJob::print()
{
    QMdiSubWindow *screen = m_area ? m_area->activeSubWindow() : nullptr;
    QAbstractButton *command = button(screen, QStringLiteral("sbtImprimir"));
    if (!command || !command->isEnabled()) {
        fail(QCoreApplication::translate("ReportPdfJob",
                                         "a tela aberta não tem o comando de impressão."));
        return;
    }
    QDir().mkpath(QFileInfo(m_fileName).absolutePath());
    QFile::remove(m_fileName);
    host::setReportPdfOutput(m_fileName);
    m_elapsed.restart();
    m_formTimer.start();
    command->click(); // returns when the report form has closed
    m_formTimer.stop();
    host::setReportPdfOutput({});

    const QString failure = m_probe.failure ? m_probe.failure() : QString();
    if (!failure.isEmpty()) {
        fail(QCoreApplication::translate("ReportPdfJob", "o relatório falhou: %1").arg(failure));
        return;
    }
    if (!m_formDriven) {
        fail(QCoreApplication::translate("ReportPdfJob", "o formulário do relatório não abriu."));
        return;
    }
    const QFileInfo written(m_fileName);
    if (!written.exists() || written.size() == 0) {
        fail(QCoreApplication::translate("ReportPdfJob", "o relatório não gravou %1.")
                 .arg(m_fileName));
        return;
    }
    std::fprintf(
        stderr, "ate-host: %s\n",
        qPrintable(QCoreApplication::translate("ReportPdfJob", "relatório gravado em %1 (%2 bytes)")
                       .arg(m_fileName)
                       .arg(written.size())));
    emit finished(0);
}

void ReportPdfJob::driveReportForm()
{
    QWidget *form = QApplication::activeModalWidget();
    if (!form || form->objectName() != ReportFormName) {
        if (m_elapsed.elapsed() > m_timeoutMs) {
            m_formTimer.stop();
            if (form)
                form->close();
        }
        return;
    }
    m_formTimer.stop();
    m_formDriven = true;
    // The form's defaults: the screen's date, all airlines, every situation.
    if (QAbstractButton *printButton = button(form, QStringLiteral("sbtImprimir")))
        printButton->click();
    if (QAbstractButton *closeButton = button(form, QStringLiteral("sbtFechar")))
        closeButton->click();
    else
        form->close();
}

void ReportPdfJob::fail(const QString &message)
{
    m_done = true;
    m_timer.stop();
    m_formTimer.stop();
    std::fprintf(
        stderr, "ate-host: %s\n",
        qPrintable(
            QCoreApplication::translate("ReportPdfJob", "relatório não gravado: %1").arg(message)));
    emit finished(1);
}

} // namespace app
