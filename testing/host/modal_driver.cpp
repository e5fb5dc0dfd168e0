#include "testing/host/modal_driver.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace host::testing {

ModalDriver::ModalDriver(QString objectName, Action action, int timeoutMs)
    : m_objectName(std::move(objectName))
    , m_action(std::move(action))
    , m_remainingTicks(timeoutMs / 10)
{
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
    m_timer.start();
}

void ModalDriver::poll()
{
    --m_remainingTicks;
    if (m_acted) {
        // Watch only the dialog acted on: once it is gone the work is done.
        if (!m_dialog || !m_dialog->isVisible()) {
            m_timer.stop();
        } else if (m_remainingTicks <= 0) {
            m_timer.stop();
            fail(m_dialog, QStringLiteral("modal widget \"%1\" still open after the action")
                               .arg(m_objectName));
        }
        return;
    }
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal->objectName() == m_objectName) {
        m_acted = true;
        m_dialog = modal;
        m_action(modal);
        return;
    }
    if (modal) {
        fail(modal, QStringLiteral("unexpected modal widget \"%1\"").arg(modal->objectName()));
    } else if (m_remainingTicks <= 0) {
        m_timer.stop();
        fail(nullptr, QStringLiteral("no modal widget \"%1\" appeared").arg(m_objectName));
    }
}

void ModalDriver::fail(QWidget *modal, const QString &why)
{
    if (m_failure.isEmpty())
        m_failure = why;
    if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->reject();
    else if (modal)
        modal->close();
}

} // namespace host::testing
