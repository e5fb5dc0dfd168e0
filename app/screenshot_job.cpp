#include "app/screenshot_job.h"

#include "platform/abort.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

namespace app {
namespace {

// The first grid a user reaches with Tab in the active screen, or null.
QAbstractItemView *firstGrid(QMdiArea *area)
{
    QMdiSubWindow *screen = area->activeSubWindow();
    if (!screen && !area->subWindowList().isEmpty())
        screen = area->subWindowList(QMdiArea::CreationOrder).last();
    if (!screen || !screen->widget())
        return nullptr;
    QWidget *start = screen->widget();
    for (QWidget *w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain()) {
        auto *grid = qobject_cast<QAbstractItemView *>(w);
        if (grid && grid->isVisible() && screen->isAncestorOf(grid))
            return grid;
    }
    return nullptr;
}

void pressKey(QWidget *target, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

} // namespace

// A picture of a screen nobody has touched misses what follows the first
// move of its main grid (details read again, columns rebound). The keys go
// to the grid itself: focus stays where the screen put it.
void browseFirstGrid(QMdiArea *area)
{
    QAbstractItemView *grid = firstGrid(area);
    if (!grid || !grid->model() || grid->model()->rowCount() < 2 || grid->currentIndex().row() != 0)
        return;
    pressKey(grid, Qt::Key_Down);
    pressKey(grid, Qt::Key_Up);
}

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
    if (failedWith(QCoreApplication::translate("ScreenshotJob", "a tela não abriu: %1")))
        return;
    if (!m_window) {
        fail(QCoreApplication::translate("ScreenshotJob", "a janela principal foi fechada."));
        return;
    }
    if (m_probe.ready && m_probe.ready()) {
        if (m_probe.prepare) {
            m_done = true; // no second round while the preparation runs
            m_probe.prepare();
            // The preparation reads from the server too; after a failed read
            // the screen is not the one asked for.
            if (failedWith(QCoreApplication::translate("ScreenshotJob",
                                                       "a tela falhou antes da captura: %1")))
                return;
        }
        capture();
        return;
    }
    if (m_elapsed.elapsed() > m_timeoutMs)
        fail(QCoreApplication::translate("ScreenshotJob",
                                         "a tela não terminou a primeira carga em %1 s.")
                 .arg(m_timeoutMs / 1000.0, 0, 'f', 1));
}

bool ScreenshotJob::failedWith(const QString &format)
{
    const QString failure = m_probe.failure ? m_probe.failure() : QString();
    if (failure.isEmpty())
        return false;
    fail(format.arg(failure));
    return true;
}

void ScreenshotJob::fail(const QString &message)
{
    m_done = true;
    m_timer.stop();
    std::fprintf(
        stderr, "ate-host: %s\n",
        qPrintable(
            QCoreApplication::translate("ScreenshotJob", "captura não feita: %1").arg(message)));
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
        std::fprintf(
            stderr, "ate-host: %s\n",
            qPrintable(QCoreApplication::translate("ScreenshotJob", "não foi possível gravar %1")
                           .arg(m_fileName)));
        emit finished(1);
        return;
    }
    std::fprintf(
        stderr, "ate-host: %s\n",
        qPrintable(QCoreApplication::translate("ScreenshotJob", "tela gravada em %1 (%2x%3)")
                       .arg(QFileInfo(m_fileName).absoluteFilePath())
                       .arg(picture.width())
                       .arg(picture.height())));
    emit finished(0);
}

} // namespace app
