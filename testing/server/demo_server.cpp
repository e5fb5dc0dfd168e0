#include "testing/server/demo_server.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

namespace host::testing {

void dieWithParent(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

int waitForPortFile(const QProcess &server, const QString &path, int timeoutMs)
{
    int port = 0;
    // The outcome is read from port below.
    (void)QTest::qWaitFor(
        [&] {
            QFile file(path);
            // Written under another name and renamed: never half a number.
            if (file.open(QIODevice::ReadOnly))
                port = file.readAll().trimmed().toInt();
            return port > 0 || server.state() == QProcess::NotRunning;
        },
        timeoutMs);
    return port;
}

DemoServer::~DemoServer()
{
    stop();
}

QString DemoServer::start(QDate day, int seed)
{
    if (!m_dir.isValid())
        return QStringLiteral("no temporary folder");
    QProcess demo;
    demo.start(QStringLiteral(ATE_DEMODATA),
               {"--server-db", serverDatabase(), "--local-db", localDatabase(), "--start",
                day.toString(Qt::ISODate), "--days", "1", "--seed", QString::number(seed)});
    if (!demo.waitForFinished(60000) || demo.exitCode() != 0)
        return QStringLiteral("ate-demodata failed: ")
               + QString::fromUtf8(demo.readAllStandardError());
    return serve(serverDatabase());
}

QString DemoServer::serve(const QString &database)
{
    if (!m_dir.isValid())
        return QStringLiteral("no temporary folder");
    m_database = database;
    return launch(0);
}

QString DemoServer::restart()
{
    kill();
    return launch(m_port);
}

QString DemoServer::launch(int port)
{
    // The server logs a line per call: into a file, so that a full pipe
    // never stalls it while a screen waits for a reply. With port 0 it takes
    // a free one and writes it to the port file.
    const QString logPath = filePath(QStringLiteral("server.log"));
    const QString portFile = filePath(QStringLiteral("server.port"));
    QFile::remove(portFile);
    // A restart appends to the log: only what this run wrote is shown.
    const qint64 logStart = QFileInfo(logPath).size();
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.setStandardOutputFile(logPath, QIODevice::Append);
    dieWithParent(m_server);
    m_server.start(QStringLiteral(ATE_APPSERVER),
                   {"--database", m_database, "--port", QString::number(port), "--port-file",
                    portFile, "--threads", "2"});
    if (!m_server.waitForStarted(10000))
        return QStringLiteral("ate-appserver did not start");
    m_port = waitForPortFile(m_server, portFile, 20000);
    if (m_port > 0)
        return {};
    QFile file(logPath);
    QByteArray log;
    if (file.open(QIODevice::ReadOnly) && file.seek(logStart))
        log = file.readAll();
    return QStringLiteral("ate-appserver did not listen: ") + QString::fromUtf8(log);
}

void DemoServer::kill()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.kill();
    m_server.waitForFinished(5000);
}

void DemoServer::stop()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(5000))
        m_server.kill();
    m_server.waitForFinished(2000);
}

} // namespace host::testing
