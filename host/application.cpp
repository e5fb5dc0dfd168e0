#include "host/application.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>

namespace host {
namespace {

QPointer<QMainWindow> &theMainWindow()
{
    static QPointer<QMainWindow> window;
    return window;
}

} // namespace

void setMainWindow(QMainWindow *window)
{
    theMainWindow() = window;
}

QMainWindow *mainWindow()
{
    return theMainWindow().data();
}

QMdiArea *mdiArea()
{
    QMainWindow *window = mainWindow();
    if (!window)
        return nullptr;
    if (auto *area = qobject_cast<QMdiArea *>(window->centralWidget()))
        return area;
    return window->findChild<QMdiArea *>();
}

QWidget *dialogParent()
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return mainWindow();
}

} // namespace host
