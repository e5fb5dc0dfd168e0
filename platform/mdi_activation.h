#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QMdiArea;
class QMdiSubWindow;

namespace platform {

// A form's activation inside an MDI area: the handler runs when the form's
// sub-window becomes the active one, opening it or switching from another
// child, and not when the host window itself comes back (a message box or a
// dialog closing over the form). Create it before the sub-window is shown.
class MdiActivation : public QObject
{
    Q_OBJECT

public:
    MdiActivation(QMdiArea *area, QMdiSubWindow *subWindow, std::function<void()> onActivate);

private:
    void onSubWindowActivated(QMdiSubWindow *window);

    QPointer<QMdiSubWindow> m_subWindow;
    QPointer<QMdiSubWindow> m_lastActive;
    std::function<void()> m_onActivate;
};

} // namespace platform
