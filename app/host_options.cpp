#include "app/host_options.h"

#include "host/host_context.h"
#include "host/local_database.h"
#include "host/net/net_connection.h"
#include "platform/abort.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

namespace app {

QString branchCode(const QString &text)
{
    const QString code = text.trimmed().toUpper();
    static const QRegularExpression valid(QStringLiteral("^[A-Z0-9]{0,4}$"));
    if (!valid.match(code).hasMatch())
        throw platform::Error(
            QStringLiteral("Código de filial inválido: \"%1\" (até 4 letras ou dígitos).")
                .arg(text));
    return code;
}

QStringList defaultConfigFiles()
{
    return {QStringLiteral("/etc/ate25400/host.conf"),
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                + QStringLiteral("/ate25400/host.conf")};
}

void applyHostOptions(const HostOptions &options, host::Context &context)
{
    if (!options.configFile.isEmpty()) {
        context.loadFromSettings(options.configFile);
    } else {
        for (const QString &file : defaultConfigFiles()) {
            if (QFileInfo::exists(file))
                context.loadFromSettings(file);
        }
    }
    const auto assign = [&context](const auto &value, auto setter) {
        if (value)
            (context.*setter)(*value);
    };
    assign(options.branchCode, &host::Context::setBranchCode);
    assign(options.branchName, &host::Context::setBranchName);
    assign(options.moduleBound, &host::Context::setModuleBoundToBranch);
    assign(options.serverHost, &host::Context::setServerHost);
    assign(options.serverPort, &host::Context::setServerPort);
    assign(options.token, &host::Context::setToken);
    assign(options.tls, &host::Context::setUseTls);
    assign(options.deadlineMs, &host::Context::setCallDeadlineMs);
    if (!options.tokenFile.isEmpty())
        context.setToken(host::readTokenFile(options.tokenFile));
    if (!options.rootCertificateFile.isEmpty()) {
        QFile file(options.rootCertificateFile);
        if (!file.open(QIODevice::ReadOnly))
            throw platform::Error(QStringLiteral("Certificado raiz não encontrado: %1")
                                      .arg(options.rootCertificateFile));
        context.setTlsRootCertificate(file.readAll());
        context.setUseTls(true);
    }
    if (!options.localSqlite.isEmpty()) {
        host::DatabaseSettings settings;
        settings.driver = host::DatabaseSettings::Driver::Sqlite;
        settings.sqlitePath = options.localSqlite;
        settings.readOnly = true;
        context.setDatabase(settings);
    } else if (!options.localPostgres.isEmpty()) {
        host::DatabaseSettings settings = host::DatabaseSettings::fromLibpq(options.localPostgres);
        settings.readOnly = true;
        context.setDatabase(settings);
    }
    // The configuration file is not checked as the flags are.
    context.setBranchCode(branchCode(context.branchCode()));
}

host::ConnectionOptions connectionOptions(const host::Context &context)
{
    host::ConnectionOptions options = host::TNetConnection::defaultOptions();
    options.deadlineMs = context.callDeadlineMs();
    options.tls = context.useTls();
    options.tlsRootCertificates = context.tlsRootCertificate();
    options.bearerToken = context.token();
    return options;
}

QString readBranchName(const QString &branchCode)
{
    QSqlQuery query(host::localDatabase());
    if (!query.prepare(QStringLiteral("SELECT NMFILIAL FROM FILIAL WHERE CDFILIAL = :CDFILIAL")))
        throw platform::Error(QStringLiteral("Não foi possível ler a tabela FILIAL: %1")
                                  .arg(query.lastError().text()));
    query.bindValue(QStringLiteral(":CDFILIAL"), branchCode);
    if (!query.exec())
        throw platform::Error(QStringLiteral("Não foi possível ler a tabela FILIAL: %1")
                                  .arg(query.lastError().text()));
    return query.next() ? query.value(0).toString().trimmed() : QString();
}

void completeBranchName(host::Context &context)
{
    if (context.branchCode().isEmpty() || !context.branchName().isEmpty())
        return;
    const host::DatabaseSettings database = context.database();
    if (database.driver == host::DatabaseSettings::Driver::Sqlite && database.sqlitePath.isEmpty())
        return;
    context.setBranchName(readBranchName(context.branchCode()));
}

} // namespace app
