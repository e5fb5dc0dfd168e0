#include "screenshot_job.h"

#include "abort.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

namespace app {

ScreenshotJob::ScreenshotJob(QWidget *window, QString fileName, Probe probe, int timeoutMs,
                             QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_fileName(std::move(fileName))
    , m_probe(std::move(probe))
    , m_timeoutMs(timeoutMs)
{
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, [this] { platform::guarded([this] { poll(); }); });
}

void ScreenshotJob::start()
{
    m_elapsed.start();
    m_timer.start();
}

void ScreenshotJob::poll()
{
    if (m_done)
        return;
    if (const QString failure = m_probe.failure ? m_probe.failure() : QString();
        !failure.isEmpty()) {
        fail(QStringLiteral("a tela não abriu: %1").arg(failure));
        return;
    }
    if (!m_window) {
        fail(QStringLiteral("a janela principal foi fechada."));
        return;
    }
    if (m_probe.ready && m_probe.ready()) {
        capture();
        return;
    }
    if (m_elapsed.elapsed() > m_timeoutMs)
        fail(QStringLiteral("a tela não terminou a primeira carga em %1 s.")
                 .arg(m_timeoutMs / 1000.0, 0, 'f', 1));
}

void ScreenshotJob::fail(const QString &message)
{
    m_done = true;
    m_timer.stop();
    std::fprintf(stderr, "ate-host: captura não feita: %s\n", qPrintable(message));
    emit finished(1);
}

void ScreenshotJob::capture()
{
    m_done = true;
    m_timer.stop();
    // Layout requests and repaints queued by the last load go through first.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const QPixmap picture = m_window->grab();
    QDir().mkpath(QFileInfo(m_fileName).absolutePath());
    if (picture.isNull() || !picture.save(m_fileName, "PNG")) {
        std::fprintf(stderr, "ate-host: não foi possível gravar %s\n", qPrintable(m_fileName));
        emit finished(1);
        return;
    }
    std::fprintf(stderr, "ate-host: tela gravada em %s (%dx%d)\n",
                 qPrintable(QFileInfo(m_fileName).absoluteFilePath()), picture.width(),
                 picture.height());
    emit finished(0);
}

}  // namespace app
