#pragma once

#include <QDate>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace host::testing {

// The real application server over a one-day demo data set, for end-to-end
// tests: ate-demodata writes the server and local databases into a
// temporary folder, ate-appserver serves them on a free port of 127.0.0.1
// and dies with the test process whatever way it ends.
class DemoServer
{
public:
    DemoServer() = default;
    ~DemoServer();

    // Empty on success, otherwise what went wrong (for QVERIFY2).
    QString start(QDate day, int seed);
    // Serves a database that is already there (a SQLite path or a
    // PostgreSQL connection string) on a free port.
    QString serve(const QString &database);
    void stop();
    // Ends the server at once, as a crash does.
    void kill();
    // Kills the server and starts it again on the same port.
    QString restart();

    int port() const { return m_port; }
    qint64 pid() const { return m_server.processId(); }
    QString serverDatabase() const { return m_dir.filePath(QStringLiteral("server.db")); }
    QString localDatabase() const { return m_dir.filePath(QStringLiteral("local.db")); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QString launch(int port);

    QTemporaryDir m_dir;
    QString m_database;
    QProcess m_server;
    int m_port = 0;
};

// Makes a child process end when the test process ends.
void dieWithParent(QProcess &process);

// The port a server started with "--port-file `path`" listens on, once it
// has written it; 0 when the process ended first or `timeoutMs` passed.
int waitForPortFile(const QProcess &server, const QString &path, int timeoutMs);

} // namespace host::testing
