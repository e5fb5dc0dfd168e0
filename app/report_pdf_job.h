#pragma once

#include "app/screenshot_job.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QMdiArea;

namespace app {

// Prints the report of the screen opened in the area to a PDF file, as a
// user would: once the screen has finished its first load, its print
// command opens the report parameter form, whose print button (with the
// form's defaults) has the report designer write the PDF instead of showing
// the preview; then the form is closed. Ends with finished(0) when the file
// is written, finished(1) with a message on standard error when the screen
// or the report failed (an error was shown), the form never opened, or no
// file came out.
class ReportPdfJob : public QObject
{
    Q_OBJECT

public:
    ReportPdfJob(QMdiArea *area, QString fileName, ScreenshotJob::Probe probe, int timeoutMs,
                 QObject *parent = nullptr);
    ~ReportPdfJob() override;

    void start();

signals:
    void finished(int exitCode);

private:
    void poll();
    void print();
    void driveReportForm();
    void fail(const QString &message);

    QPointer<QMdiArea> m_area;
    QString m_fileName;
    ScreenshotJob::Probe m_probe;
    int m_timeoutMs;
    QTimer m_timer;
    QTimer m_formTimer;
    QElapsedTimer m_elapsed;
    bool m_done = false;
    bool m_formDriven = false;
};

} // namespace app
