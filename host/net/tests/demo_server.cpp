#include "demo_server.h"

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
        return QStringLiteral("ate-demodata failed: ") + QString::fromUtf8(demo.readAllStandardError());
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
    // a free one and logs which.
    const QString logPath = filePath(QStringLiteral("server.log"));
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.setStandardOutputFile(logPath, QIODevice::Append);
    dieWithParent(m_server);
    m_server.start(QStringLiteral(ATE_APPSERVER),
                   {"--database", m_database, "--port", QString::number(port), "--threads", "2"});
    if (!m_server.waitForStarted(10000))
        return QStringLiteral("ate-appserver did not start");
    static const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
    // A restart appends to the log: only what this run wrote counts.
    const qint64 logStart = QFileInfo(logPath).size();
    m_port = 0;
    QByteArray log;
    // The outcome is read from m_port below.
    (void)QTest::qWaitFor(
        [&] {
            QFile file(logPath);
            if (file.open(QIODevice::ReadOnly) && file.seek(logStart))
                log = file.readAll();
            const auto match = listening.match(QString::fromUtf8(log));
            if (match.hasMatch())
                m_port = match.captured(1).toInt();
            return m_port > 0 || m_server.state() == QProcess::NotRunning;
        },
        20000);
    return m_port > 0 ? QString() : QStringLiteral("ate-appserver did not listen: ") + QString::fromUtf8(log);
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
