#include "host/forms/window_activation.h"

#include "platform/abort.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace host {

WindowActivation::WindowActivation(QWidget *window, std::function<void()> onActivate)
    : QObject(window)
    , m_window(window)
    , m_onActivate(std::move(onActivate))
{
    window->installEventFilter(this);
}

bool WindowActivation::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::Hide:
        // Shown again later, it is a new activation.
        m_due = true;
        break;
    case QEvent::WindowDeactivate: {
        if (!m_window->isVisible()) {
            m_due = true; // deactivated by its own hiding
            break;
        }
        // The window taking over is already the active one here; none means
        // the application itself lost the focus.
        const QWidget *next = QApplication::activeWindow();
        m_due = next && next != m_window && !next->isModal();
        break;
    }
    case QEvent::WindowActivate:
        if (m_due) {
            m_due = false;
            if (m_onActivate)
                platform::guarded(m_onActivate);
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace host
