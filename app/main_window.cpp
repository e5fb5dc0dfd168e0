#include "app/main_window.h"

#include "app/server_status.h"
#include "platform/abort.h"

#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace app {

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmPrincipal"));
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    // A maximised screen would otherwise maximise every screen activated
    // after it.
    m_mdiArea->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    setCentralWidget(m_mdiArea);

    QMenu *fileMenu = menuBar()->addMenu(tr("&Arquivo"));
    fileMenu->setObjectName(QStringLiteral("mnuArquivo"));
    QAction *quit = fileMenu->addAction(tr("&Sair"));
    quit->setObjectName(QStringLiteral("mnuSair"));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    m_screensMenu = menuBar()->addMenu(tr("&Telas"));
    m_screensMenu->setObjectName(QStringLiteral("mnuTelas"));

    QMenu *windowMenu = menuBar()->addMenu(tr("&Janela"));
    windowMenu->setObjectName(QStringLiteral("mnuJanela"));
    QAction *cascade = windowMenu->addAction(tr("&Cascata"));
    cascade->setObjectName(QStringLiteral("mnuCascata"));
    connect(cascade, &QAction::triggered, m_mdiArea, &QMdiArea::cascadeSubWindows);
    QAction *tile = windowMenu->addAction(tr("&Lado a lado"));
    tile->setObjectName(QStringLiteral("mnuLadoALado"));
    connect(tile, &QAction::triggered, m_mdiArea, &QMdiArea::tileSubWindows);

    m_serverStatus = new ServerStatus(statusBar(), m_mdiArea);

    resize(1100, 720);
    setBranch({}, {});
}

QString MainWindow::titleFor(const QString &code, const QString &name)
{
    if (code.isEmpty())
        return QStringLiteral("Catering");
    if (name.isEmpty())
        return QCoreApplication::translate("app::MainWindow", "Catering — Filial %1").arg(code);
    return QCoreApplication::translate("app::MainWindow", "Catering — Filial %1 %2")
        .arg(code, name);
}

void MainWindow::setBranch(const QString &code, const QString &name)
{
    setWindowTitle(titleFor(code, name));
    m_serverStatus->setBranch(code, name);
}

void MainWindow::addScreen(const QString &code, const QString &caption, std::function<void()> open)
{
    QAction *action = m_screensMenu->addAction(QStringLiteral("%1 - %2").arg(code, caption));
    action->setObjectName(QStringLiteral("mnuTela") + code);
    connect(action, &QAction::triggered, this,
            [open = std::move(open)] { platform::guarded(open); });
}

} // namespace app
