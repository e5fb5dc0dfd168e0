// The main window's status bar: what the active screen's connection knows
// of its server, shown without a single call of its own.

#include "app/main_window.h"
#include "app/server_status.h"

#include "host/application.h"
#include "host/net/net_connection.h"
#include "testing/net/scripted_server.h"
#include "testing/server/demo_server.h"

#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

using host::testing::Answer;

class ServerStatusTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void goodCallThenFailuresThenRecovery();
    void oldPositionIsMarked();
    void liveChangesAreShown();

private:
    QString feed() const
    {
        return m_window->statusBar()
            ->findChild<QLabel *>(QStringLiteral("lblStatusAlteracoes"))
            ->text();
    }
    QString reading() const
    {
        return m_window->statusBar()
            ->findChild<QLabel *>(QStringLiteral("lblStatusLeitura"))
            ->text();
    }
    bool call()
    {
        return m_connection->appServer()
            .invoke(QStringLiteral("GetCia"), {QStringLiteral("GRU")})
            .ok();
    }

    std::unique_ptr<app::MainWindow> m_window;
    std::unique_ptr<host::testing::ScriptedServer> m_server;
    QWidget *m_form = nullptr;
    host::TNetConnection *m_connection = nullptr;
};

void ServerStatusTest::init()
{
    m_server = std::make_unique<host::testing::ScriptedServer>();
    m_server->setDefault(QStringLiteral("GetCia"), Answer::emptyPacket());
    m_server->start();
    m_window = std::make_unique<app::MainWindow>();
    m_window->setBranch(QStringLiteral("GRU"), QStringLiteral("Guarulhos"));
    m_form = new QWidget;
    m_form->setObjectName(QStringLiteral("frmTeste"));
    m_connection = new host::TNetConnection(m_form);
    m_connection->setServerName(QStringLiteral("Ate25400.rdmPosFDiPlav"));
    m_connection->SetHost(m_server->host());
    m_connection->setPort(m_server->port());
    host::ConnectionOptions options;
    options.deadlineMs = 2000;
    m_connection->setOptions(options);
    QMdiSubWindow *sub = m_window->mdiArea()->addSubWindow(m_form);
    // Size limits settled before the window exists, as the host does.
    m_window->layout()->activate();
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    sub->show();
    m_window->mdiArea()->setActiveSubWindow(sub);
    QTRY_VERIFY(m_window->mdiArea()->activeSubWindow() == sub);
}

void ServerStatusTest::cleanup()
{
    m_window.reset();
    m_server.reset();
}

// Catches a status that does not follow the calls, hides a failing server
// or keeps showing it once it answers again; and any call of its own.
void ServerStatusTest::goodCallThenFailuresThenRecovery()
{
    const QString branch =
        m_window->statusBar()->findChild<QLabel *>(QStringLiteral("lblStatusFilial"))->text();
    QCOMPARE(branch, QStringLiteral("Filial GRU Guarulhos"));
    QCOMPARE(reading(), QStringLiteral("Nenhuma leitura ainda."));
    QVERIFY(call());
    QVERIFY(reading().startsWith(QStringLiteral("Última leitura às ")));
    QVERIFY(reading().endsWith(QStringLiteral(": ok.")));
    QVERIFY(m_window->statusBar()
                ->findChild<QLabel *>(QStringLiteral("lblStatusServidor"))
                ->text()
                .contains(QString::number(m_server->port())));

    m_server->stop();
    QVERIFY(!call());
    const QString failing = reading();
    QVERIFY2(failing.startsWith(QStringLiteral("Servidor sem resposta desde ")),
             qPrintable(failing));
    QVERIFY(failing.contains(QStringLiteral("Última leitura com sucesso às")));
    QVERIFY(!call());
    // Since the first failure, not the last.
    QCOMPARE(reading().left(36), failing.left(36));

    m_server->restart();
    QTRY_VERIFY(call());
    QVERIFY(reading().endsWith(QStringLiteral(": ok.")));
    const int made = m_server->callCount();
    for (int i = 0; i < 3; ++i)
        m_window->serverStatus()->refresh();
    QCOMPARE(m_server->callCount(), made);
}

// Catches figures from long ago shown as if they were current.
void ServerStatusTest::oldPositionIsMarked()
{
    QTimer refresh(m_form);
    refresh.setInterval(30000);
    refresh.start();
    QVERIFY(call());
    m_window->serverStatus()->refresh();
    QVERIFY(!reading().contains(QStringLiteral("desatualizada")));
    m_window->serverStatus()->setClock([] { return QDateTime::currentDateTime().addSecs(61); });
    m_window->serverStatus()->refresh();
    QVERIFY2(reading().endsWith(QStringLiteral("Posição desatualizada.")), qPrintable(reading()));
    refresh.stop();
    m_window->serverStatus()->refresh();
    QVERIFY(!reading().contains(QStringLiteral("desatualizada")));
}

// Catches a screen said to be live while the server's changes do not reach
// it (a server without them, or one that died), or not said to be live
// when they do.
void ServerStatusTest::liveChangesAreShown()
{
    QTimer refresh(m_form);
    refresh.setInterval(30000);
    refresh.start();
    QVERIFY(call());
    QTRY_COMPARE(feed(), QStringLiteral("Atualização a cada 30 s."));

    host::testing::DemoServer server;
    const QString failed = server.start(QDate::currentDate(), 7);
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    m_connection->disconnect();
    m_connection->setPort(server.port());
    QVERIFY(call());
    QTRY_VERIFY2(feed().startsWith(QStringLiteral("Alterações ao vivo desde ")),
                 qPrintable(feed()));
    server.kill();
    QTRY_VERIFY2(feed().startsWith(QStringLiteral("Alterações do servidor interrompidas desde ")),
                 qPrintable(feed()));
    QVERIFY(feed().endsWith(QStringLiteral(": atualização a cada 30 s.")));
    QVERIFY2(server.restart().isEmpty(), "the server did not start again");
    QTRY_VERIFY_WITH_TIMEOUT(feed().startsWith(QStringLiteral("Alterações ao vivo desde ")), 15000);
}

QTEST_MAIN(ServerStatusTest)
#include "tst_server_status.moc"
