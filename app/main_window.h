#pragma once

#include <QMainWindow>

#include <functional>

class QMdiArea;
class QMenu;

namespace app {

class ServerStatus;

// The host's MDI main window: the screens of the loaded packages open as
// sub-windows of its MDI area and are listed in its "Telas" menu.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);

    QMdiArea *mdiArea() const { return m_mdiArea; }
    ServerStatus *serverStatus() const { return m_serverStatus; }

    // "Catering — Filial GRU Guarulhos"; just "Catering" without a branch.
    void setBranch(const QString &code, const QString &name);
    static QString titleFor(const QString &code, const QString &name);

    // A menu entry "<code> - <caption>" that runs `open` (through
    // platform::guarded).
    void addScreen(const QString &code, const QString &caption, std::function<void()> open);

private:
    QMdiArea *m_mdiArea;
    QMenu *m_screensMenu;
    ServerStatus *m_serverStatus;
};

} // namespace app
