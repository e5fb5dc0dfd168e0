#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QWidget;

namespace app {

// Renders a window to a PNG file once the screen opened in it has finished
// its first load, or gives up after a time. Ends with finished(0) when the
// picture is written, finished(1) with a message on standard error when the
// screen failed (an error was shown), never got ready, or the file could
// not be written.
class ScreenshotJob : public QObject
{
    Q_OBJECT

public:
    struct Probe
    {
        std::function<bool()> ready;       // the first load has finished
        std::function<QString()> failure;  // an error the user would have seen, or empty
    };

    ScreenshotJob(QWidget *window, QString fileName, Probe probe, int timeoutMs,
                  QObject *parent = nullptr);

    void start();

signals:
    void finished(int exitCode);

private:
    void poll();
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

}  // namespace app
