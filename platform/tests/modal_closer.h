#pragma once

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

namespace platform::testing {

// Closes modal dialogs with Escape, from a 10 ms polling timer (a dialog
// runs its own event loop), and notes their titles. The boxes in tests are
// plain dialogs without a layout: a QMessageBox fixes its size, and the
// offscreen platform warns about size hints, which fails the test.
class ModalCloser : public QObject
{
public:
    ModalCloser()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    QStringList titles; // of the dialogs closed

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        // As on a desktop, the box takes the activation from the window
        // below before it is answered.
        if (!modal->isActiveWindow() && ++m_activationTries < 50) {
            modal->activateWindow();
            return;
        }
        m_activationTries = 0;
        titles << modal->windowTitle();
        QTest::keyClick(modal, Qt::Key_Escape);
    }

    QTimer m_timer;
    int m_activationTries = 0;
};

} // namespace platform::testing
