#pragma once

class QMainWindow;
class QMdiArea;
class QWidget;

namespace host {

// The application object: the host's main window owns every form a module
// makes. Modules create their forms with mainWindow() as owner (modal
// dialogs) or add them to mdiArea() (MDI children), never as free windows.
void setMainWindow(QMainWindow *window);

// The main window, or null when none is set or it has been destroyed.
QMainWindow *mainWindow();

// The main window's MDI area (its central widget or a child), or null.
QMdiArea *mdiArea();

// The widget a dialog should be centred on: the active window when there is
// one, else the main window (may be null).
QWidget *dialogParent();

} // namespace host
