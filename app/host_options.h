#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace host {
class Context;
struct ConnectionOptions;
} // namespace host

namespace app {

// Read in turn when no --config is given, each that exists overriding the
// one before: the machine's, which the client package installs
// (/etc/ate25400/host.conf), then the user's own
// (~/.config/ate25400/host.conf).
QStringList defaultConfigFiles();

// What the host application was asked to do, from its command line. Values
// left unset keep what the configuration file (or the context's default)
// says.
struct HostOptions
{
    QString configFile; // empty: the default files (defaultConfigFiles())

    std::optional<QString> branchCode;
    std::optional<QString> branchName;
    std::optional<bool> moduleBound;

    std::optional<QString> serverHost;
    std::optional<int> serverPort;
    std::optional<QString> token;
    QString tokenFile; // the token on the file's first line, kept out of the process list
    std::optional<bool> tls;
    QString rootCertificateFile;
    std::optional<int> deadlineMs;

    QString localSqlite;   // local database as an SQLite file
    QString localPostgres; // or as a libpq connection string

    QString pluginDir;           // empty: "plugins" beside the executable's folder
    QString openScreen;          // screen code to open at start, e.g. ATE25400
    bool maximizeScreen = false; // that screen's sub-window opens maximised
    QString screenshotFile;      // render the main window here, then quit
    QString reportPdfFile;       // print the screen's report to this PDF, then quit
    int screenshotTimeoutMs = 20000;

    bool help = false;
    bool version = false;
};

// Codes are stored trimmed and in upper case; a longer or odd code would
// silently select another branch or none. Throws platform::Error.
QString branchCode(const QString &text);

// Fills the context: the configuration file first, then the command line
// over it. The branch code ends trimmed and in upper case. Throws
// platform::Error when the file or the certificate cannot be read or a
// value is invalid.
void applyHostOptions(const HostOptions &options, host::Context &context);

// The server connection settings the context asks for.
host::ConnectionOptions connectionOptions(const host::Context &context);

// The branch's name from the local database's FILIAL table, empty when the
// branch is not there. Throws platform::Error when the database cannot be
// read.
QString readBranchName(const QString &branchCode);

// Fills the context's branch name from the local database when a branch is
// set, its name is not, and a local database is configured.
void completeBranchName(host::Context &context);

} // namespace app
