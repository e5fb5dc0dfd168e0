#include "testing/server/app_server_process.h"

#include "testing/server/demo_server.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

namespace host::testing {

AppServerProcess::~AppServerProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        kill();
}

QString AppServerProcess::start(const QString &database, const QStringList &extraArguments)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(logPath());
    dieWithParent(m_process);
    const QString portFile = logPath() + QStringLiteral(".port");
    QFile::remove(portFile);
    m_process.start(QStringLiteral(ATE_APPSERVER),
                    QStringList{"--database", database, "--port", "0", "--port-file", portFile}
                        + extraArguments);
    if (!m_process.waitForStarted(10000))
        return QStringLiteral("ate-appserver did not start");
    m_port = waitForPortFile(m_process, portFile, 30000);
    return m_port > 0 ? QString()
                      : QStringLiteral("ate-appserver did not listen: ") + QString::fromUtf8(log());
}

void AppServerProcess::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString writeDemoData(const QString &serverDatabase, QDate day)
{
    QProcess demo;
    demo.start(QStringLiteral(ATE_DEMODATA), {"--server-db", serverDatabase, "--local-db", "-",
                                              "--start", day.toString(Qt::ISODate), "--days", "1"});
    if (!demo.waitForFinished(120000) || demo.exitCode() != 0)
        return QStringLiteral("ate-demodata failed: ")
               + QString::fromUtf8(demo.readAllStandardError());
    return {};
}

QString startDemoCluster(appserver::testing::ThrowawayCluster &cluster, QDate day,
                         QString *conninfo)
{
    const std::string whyNot = cluster.create();
    if (!whyNot.empty())
        return QString::fromStdString(whyNot);
    *conninfo = QString::fromStdString(cluster.conninfo());
    return writeDemoData(*conninfo, day);
}

QByteArray AppServerProcess::log() const
{
    QFile file(logPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace host::testing
