#pragma once

#include <QByteArray>
#include <QString>

namespace host {

// Where the host's local database lives: an SQLite file by default, a
// PostgreSQL database when configured.
struct DatabaseSettings
{
    enum class Driver { Sqlite, Postgres };

    Driver driver = Driver::Sqlite;
    QString sqlitePath; // SQLite: the database file
    QString hostName;   // PostgreSQL: host name or socket directory
    int port = 0;       // PostgreSQL: 0 keeps the driver's default
    QString databaseName;
    QString userName;
    QString password;
    QString connectOptions; // further libpq options, "key=value;key=value"
    // The host only reads the database: SQLite opens it read-only (a file
    // that is not there is an error, not a new empty database), PostgreSQL
    // sessions refuse writes.
    bool readOnly = false;

    // Reads a libpq connection string ("host=/tmp port=5432 dbname=x user=y");
    // keys it does not map become connect options. Throws platform::Error
    // on a malformed string.
    static DatabaseSettings fromLibpq(const QString &conninfo);

    // The Qt SQL driver name: "QSQLITE" or "QPSQL".
    QString qtDriverName() const;
};

// The access token on a file's first line; a missing, unreadable or empty
// file is an error (an empty token would call without one).
QString readTokenFile(const QString &path);

// What the host knows about the session: the branch the user works at, the
// application server and the local database. The host application fills it
// from its configuration file and command line before any module runs.
class Context
{
public:
    // Reads an INI file:
    //   [branch]   code, name, bound (the module is tied to the branch)
    //   [server]   host, port, token, tls (true/false), root_certificate
    //              (PEM file; implies tls), deadline_ms (each server call)
    //   [database] driver (sqlite | postgresql), path (SQLite file),
    //              conninfo (libpq connection string for PostgreSQL)
    // Keys that are absent keep their current values. Throws platform::Error
    // when the file or the certificate cannot be read or a value is invalid.
    void loadFromSettings(const QString &path);

    QString branchCode() const { return m_branchCode; }
    void setBranchCode(const QString &code) { m_branchCode = code; }
    QString branchName() const { return m_branchName; }
    void setBranchName(const QString &name) { m_branchName = name; }
    bool moduleBoundToBranch() const { return m_moduleBound; }
    void setModuleBoundToBranch(bool bound) { m_moduleBound = bound; }

    QString serverHost() const { return m_serverHost; }
    void setServerHost(const QString &host) { m_serverHost = host; }
    int serverPort() const { return m_serverPort; }
    void setServerPort(int port) { m_serverPort = port; }
    QString token() const { return m_token; }
    void setToken(const QString &token) { m_token = token; }
    bool useTls() const { return m_useTls; }
    void setUseTls(bool on) { m_useTls = on; }
    // PEM text of the root certificates that sign the server's certificate;
    // empty takes the system's roots.
    QByteArray tlsRootCertificate() const { return m_tlsRootCertificate; }
    void setTlsRootCertificate(const QByteArray &pem) { m_tlsRootCertificate = pem; }
    int callDeadlineMs() const { return m_callDeadlineMs; }
    void setCallDeadlineMs(int ms) { m_callDeadlineMs = ms; }

    DatabaseSettings database() const { return m_database; }
    void setDatabase(const DatabaseSettings &settings) { m_database = settings; }

private:
    QString m_branchCode;
    QString m_branchName;
    bool m_moduleBound = false;
    QString m_serverHost = QStringLiteral("localhost");
    int m_serverPort = 50051;
    QString m_token;
    QByteArray m_tlsRootCertificate;
    bool m_useTls = false;
    int m_callDeadlineMs = 5000;
    DatabaseSettings m_database;
};

// The process's one context.
Context &context();

// The host context functions the modules call.
QString FiliProc();     // current branch code
QString NomeFiliProc(); // its name
bool ModuFili();        // the module is bound to the current branch
QString WebURL();       // application server host
int WebPort();          // application server port

} // namespace host
