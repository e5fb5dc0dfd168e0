#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QStatusBar;

namespace host {
class TNetConnection;
}

namespace app {

// The main window's status bar: the branch, the application server of the
// active screen, whether its last call went through, the time of its last
// successful call, since when calls are failing, and a position older than
// two refresh periods marked as not current, and whether the position is
// live (the server's change feed is in step) or refreshed on its period
// only, and since when. Everything comes from what the screen's connection
// already knows: showing it costs no call.
class ServerStatus : public QObject
{
    Q_OBJECT

public:
    ServerStatus(QStatusBar *bar, QMdiArea *area);

    void setBranch(const QString &code, const QString &name);
    // Recomputed now; also after every call and once a second.
    void refresh();

    // For the clock-free parts of the tests: what "now" is.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

private:
    void follow(QMdiSubWindow *window);

    QLabel *m_branch;
    QLabel *m_server;
    QLabel *m_reading;
    QLabel *m_feed;
    QMdiArea *m_area;
    QPointer<QWidget> m_form;
    QPointer<host::TNetConnection> m_connection;
    QMetaObject::Connection m_callFinished;
    QMetaObject::Connection m_feedChanged;
    QTimer m_tick;
    std::function<QDateTime()> m_clock;
};

} // namespace app
