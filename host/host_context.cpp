#include "host/host_context.h"

#include "platform/abort.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <libpq-fe.h>

namespace host {
namespace {

// The key/value pairs of a libpq connection string (or URI), as libpq
// itself reads them. A malformed one is refused with libpq's reason only:
// the string itself may hold a password.
QList<std::pair<QString, QString>> parseConninfo(const QString &conninfo)
{
    char *reason = nullptr;
    PQconninfoOption *options = PQconninfoParse(conninfo.toUtf8().constData(), &reason);
    if (!options) {
        const QString why =
            reason ? QString::fromUtf8(reason).trimmed() : QStringLiteral("out of memory");
        PQfreemem(reason);
        throw platform::Error(QCoreApplication::translate(
                                  "HostContext", "Conexão com o banco de dados mal formada: %1")
                                  .arg(why));
    }
    QList<std::pair<QString, QString>> pairs;
    for (const PQconninfoOption *option = options; option->keyword; ++option) {
        if (option->val)
            pairs.append({QString::fromUtf8(option->keyword), QString::fromUtf8(option->val)});
    }
    PQconninfoFree(options);
    return pairs;
}

// libpq quoting for a value passed on as a connect option.
QString quotedOption(QString value)
{
    if (!value.isEmpty() && !value.contains(QLatin1Char(' ')) && !value.contains(QLatin1Char('\''))
        && !value.contains(QLatin1Char('\\')))
        return value;
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

int positiveInt(const QSettings &settings, const QString &key, int current)
{
    if (!settings.contains(key))
        return current;
    bool ok = false;
    const int value = settings.value(key).toString().trimmed().toInt(&ok);
    if (!ok || value <= 0)
        throw platform::Error(
            QCoreApplication::translate("HostContext",
                                        "Valor inválido para %1 no arquivo de configuração: %2")
                .arg(key, settings.value(key).toString()));
    return value;
}

} // namespace

QString readTokenFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw platform::Error(
            QCoreApplication::translate("HostContext", "Não foi possível ler o token de %1.")
                .arg(path));
    const QString token = QString::fromUtf8(file.readLine()).trimmed();
    // An empty token would silently call without one.
    if (token.isEmpty())
        throw platform::Error(QCoreApplication::translate(
                                  "HostContext", "A primeira linha de %1 não tem token de acesso.")
                                  .arg(path));
    return token;
}

DatabaseSettings DatabaseSettings::fromLibpq(const QString &conninfo)
{
    DatabaseSettings settings;
    settings.driver = Driver::Postgres;
    QStringList options;
    for (const auto &[key, value] : parseConninfo(conninfo)) {
        if (key == QLatin1String("host") || key == QLatin1String("hostaddr")) {
            settings.hostName = value;
        } else if (key == QLatin1String("port")) {
            bool ok = false;
            settings.port = value.toInt(&ok);
            if (!ok)
                throw platform::Error(
                    QCoreApplication::translate(
                        "HostContext", "Porta inválida na conexão com o banco de dados: %1")
                        .arg(value));
        } else if (key == QLatin1String("dbname")) {
            settings.databaseName = value;
        } else if (key == QLatin1String("user")) {
            settings.userName = value;
        } else if (key == QLatin1String("password")) {
            settings.password = value;
        } else {
            options.append(key + QLatin1Char('=') + quotedOption(value));
        }
    }
    settings.connectOptions = options.join(QLatin1Char(';'));
    return settings;
}

QString DatabaseSettings::qtDriverName() const
{
    return driver == Driver::Postgres ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
}

void Context::loadFromSettings(const QString &path)
{
    if (!QFileInfo(path).isReadable())
        throw platform::Error(
            QCoreApplication::translate("HostContext", "Arquivo de configuração não encontrado: %1")
                .arg(path));
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        throw platform::Error(
            QCoreApplication::translate("HostContext", "Arquivo de configuração inválido: %1")
                .arg(path));

    const auto text = [&](const QString &key, const QString &current) {
        return settings.contains(key) ? settings.value(key).toString().trimmed() : current;
    };

    m_branchCode = text(QStringLiteral("branch/code"), m_branchCode);
    m_branchName = text(QStringLiteral("branch/name"), m_branchName);
    if (settings.contains(QStringLiteral("branch/bound")))
        m_moduleBound = settings.value(QStringLiteral("branch/bound")).toBool();

    m_serverHost = text(QStringLiteral("server/host"), m_serverHost);
    m_serverPort = positiveInt(settings, QStringLiteral("server/port"), m_serverPort);
    m_token = text(QStringLiteral("server/token"), m_token);
    if (settings.contains(QStringLiteral("server/token_file"))) {
        // Relative to the configuration file's folder, as an administrator
        // who keeps both in one place writes it.
        const QString tokenFile =
            QFileInfo(path).dir().absoluteFilePath(text(QStringLiteral("server/token_file"), {}));
        m_token = readTokenFile(tokenFile);
    }
    m_callDeadlineMs =
        positiveInt(settings, QStringLiteral("server/deadline_ms"), m_callDeadlineMs);
    const QString certificate = text(QStringLiteral("server/root_certificate"), {});
    if (!certificate.isEmpty()) {
        // A relative path is taken from the configuration file's folder.
        const QString certPath = QFileInfo(path).dir().absoluteFilePath(certificate);
        QFile file(certPath);
        if (!file.open(QIODevice::ReadOnly))
            throw platform::Error(
                QCoreApplication::translate("HostContext", "Certificado raiz não encontrado: %1")
                    .arg(certPath));
        m_tlsRootCertificate = file.readAll();
        m_useTls = true;
    }
    if (settings.contains(QStringLiteral("server/tls")))
        m_useTls = settings.value(QStringLiteral("server/tls")).toBool();

    // The host only reads its local database, whichever file names it.
    if (settings.contains(QStringLiteral("database/driver"))
        || settings.contains(QStringLiteral("database/path"))
        || settings.contains(QStringLiteral("database/conninfo")))
        m_database.readOnly = true;
    const QString driver = text(QStringLiteral("database/driver"), {}).toLower();
    if (driver == QLatin1String("postgresql") || driver == QLatin1String("qpsql")) {
        m_database = DatabaseSettings::fromLibpq(text(QStringLiteral("database/conninfo"), {}));
        m_database.readOnly = true;
    } else if (driver.isEmpty() || driver == QLatin1String("sqlite")
               || driver == QLatin1String("qsqlite")) {
        if (!driver.isEmpty())
            m_database.driver = DatabaseSettings::Driver::Sqlite;
        const QString file = text(QStringLiteral("database/path"), {});
        if (!file.isEmpty())
            m_database.sqlitePath = QFileInfo(path).dir().absoluteFilePath(file);
    } else {
        throw platform::Error(
            QCoreApplication::translate(
                "HostContext", "Banco de dados local desconhecido no arquivo de configuração: %1")
                .arg(driver));
    }
}

Context &context()
{
    static Context instance;
    return instance;
}

QString FiliProc()
{
    return context().branchCode();
}

QString NomeFiliProc()
{
    return context().branchName();
}

bool ModuFili()
{
    return context().moduleBoundToBranch();
}

QString WebURL()
{
    return context().serverHost();
}

int WebPort()
{
    return context().serverPort();
}

} // namespace host
