#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QMdiArea;
class QWidget;

namespace app {

// Renders a window to a PNG file once the screen opened in it has finished
// its first load (and the probe's preparation has run), or gives up after a
// time. Ends with finished(0) when the
// picture is written, finished(1) with a message on standard error when the
// screen failed (an error was shown), never got ready, or the file could
// not be written.
class ScreenshotJob : public QObject
{
    Q_OBJECT

public:
    struct Probe
    {
        std::function<bool()> ready;      // the first load has finished
        std::function<QString()> failure; // an error the user would have seen, or empty
        std::function<void()> prepare;    // once ready, what a user does before looking
    };

    ScreenshotJob(QWidget *window, QString fileName, Probe probe, int timeoutMs,
                  QObject *parent = nullptr);

    void start();

signals:
    void finished(int exitCode);

private:
    void poll();
    bool failedWith(const QString &format); // fails when the probe reports an error
    void fail(const QString &message);
    void capture();

    QPointer<QWidget> m_window;
    QString m_fileName;
    Probe m_probe;
    int m_timeoutMs;
    QTimer m_timer;
    QElapsedTimer m_elapsed;
    bool m_done = false;
};

// Takes the first grid (in tab order) of the area's active screen one row
// down and back, as a user's arrow keys would. Nothing happens when that
// grid has fewer than two rows or its current row is not the first.
void browseFirstGrid(QMdiArea *area);

} // namespace app
