#pragma once

#include "testing/pg/pg_cluster.h"

#include <QDate>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace host::testing {

// The real ate-appserver on a database the test prepared, on a free port of
// 127.0.0.1, logging into a file of its own; it dies with the test process.
class AppServerProcess
{
public:
    AppServerProcess() = default;
    ~AppServerProcess();

    // Empty on success, otherwise what went wrong (for QVERIFY2).
    QString start(const QString &database, const QStringList &extraArguments = {});
    // Ends the server at once, as a crash does.
    void kill();

    int port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    QString logPath() const { return m_dir.filePath(QStringLiteral("server.log")); }
    QByteArray log() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

// ate-demodata's one-day data set into a server database (a SQLite file or
// a PostgreSQL connection string), no local database. Empty on success.
QString writeDemoData(const QString &serverDatabase, QDate day);

// A throwaway PostgreSQL cluster holding the one-day demo data set; its
// connection string in `conninfo`. Empty on success.
QString startDemoCluster(appserver::testing::ThrowawayCluster &cluster, QDate day,
                         QString *conninfo);

} // namespace host::testing
