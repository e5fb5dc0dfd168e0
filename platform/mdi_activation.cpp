#include "platform/mdi_activation.h"

#include "platform/abort.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace platform {

MdiActivation::MdiActivation(QMdiArea *area, QMdiSubWindow *subWindow,
                             std::function<void()> onActivate)
    : QObject(subWindow)
    , m_subWindow(subWindow)
    , m_onActivate(std::move(onActivate))
{
    connect(area, &QMdiArea::subWindowActivated, this, &MdiActivation::onSubWindowActivated);
}

void MdiActivation::onSubWindowActivated(QMdiSubWindow *window)
{
    // The area passes null while the host window is inactive; the child
    // active before and after is the same, and that is no activation.
    if (!window)
        return;
    const bool switched = m_lastActive != window;
    m_lastActive = window;
    if (window == m_subWindow && switched && m_onActivate)
        guarded(m_onActivate);
}

} // namespace platform
