#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace host::testing {

// Acts on a real modal dialog from a polling timer: when the active modal
// widget has the expected objectName, runs the action on it once. A modal
// widget with another name, or none at all within the timeout, is recorded
// as a failure and rejected, so a test never hangs on a box.
class ModalDriver : public QObject
{
    Q_OBJECT

public:
    using Action = std::function<void(QWidget *dialog)>;

    explicit ModalDriver(QString objectName, Action action, int timeoutMs = 10000);

    bool acted() const { return m_acted; }
    // Empty when all went as expected.
    QString failure() const { return m_failure; }

private:
    void poll();
    void fail(QWidget *modal, const QString &why);

    QString m_objectName;
    Action m_action;
    QTimer m_timer;
    int m_remainingTicks;
    bool m_acted = false;
    QPointer<QWidget> m_dialog;
    QString m_failure;
};

} // namespace host::testing
