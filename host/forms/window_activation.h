#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace host {

// The activation of a form that is a window of its own (a dialog, or the
// screen when there is no MDI area). The handler runs when the window is
// activated after being shown, or coming back from another non-modal window
// of the application; not when a message box or dialog shown over it closes,
// nor when the whole application comes back from another program. The
// handler runs through platform::guarded.
class WindowActivation : public QObject
{
    Q_OBJECT

public:
    WindowActivation(QWidget *window, std::function<void()> onActivate);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    std::function<void()> m_onActivate;
    bool m_due = true;
};

} // namespace host
