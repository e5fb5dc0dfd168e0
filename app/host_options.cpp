#include "host_options.h"

#include "abort.h"
#include "host_context.h"
#include "local_database.h"
#include "net_connection.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace app {
namespace {

platform::Error invalidValue(const QString &name, const QString &value, const QString &expected)
{
    return platform::Error(
        QStringLiteral("Valor inválido para --%1: \"%2\" (%3).").arg(name, value, expected));
}

int intValue(const QString &name, const QString &value, int min, int max)
{
    bool ok = false;
    const int number = value.trimmed().toInt(&ok);
    if (!ok || number < min || number > max)
        throw invalidValue(name, value, QStringLiteral("de %1 a %2").arg(min).arg(max));
    return number;
}

QString nonEmpty(const QString &name, const QString &value)
{
    if (value.trimmed().isEmpty())
        throw invalidValue(name, value, QStringLiteral("não pode ficar vazio"));
    return value.trimmed();
}

const QStringList kFlags = {"bound", "unbound", "tls", "maximize-screen", "help"};
const QStringList kValued = {"config",      "branch",
                             "branch-name", "server",
                             "port",        "token",
                             "root-cert",   "deadline-ms",
                             "local-db",    "local-pg",
                             "plugins",     "open",
                             "screenshot",  "screenshot-timeout-ms",
                             "report-pdf"};

void setBound(HostOptions &options, bool bound)
{
    if (options.moduleBound == !bound)
        throw platform::Error(QStringLiteral("Use --bound ou --unbound, não os dois."));
    options.moduleBound = bound;
}

void apply(HostOptions &o, const QString &name, const QString &value)
{
    if (name == QLatin1String("config"))
        o.configFile = nonEmpty(name, value);
    else if (name == QLatin1String("branch"))
        o.branchCode = value;
    else if (name == QLatin1String("branch-name"))
        o.branchName = value.trimmed();
    else if (name == QLatin1String("bound"))
        setBound(o, true);
    else if (name == QLatin1String("unbound"))
        setBound(o, false);
    else if (name == QLatin1String("server"))
        o.serverHost = nonEmpty(name, value);
    else if (name == QLatin1String("port"))
        o.serverPort = intValue(name, value, 1, 65535);
    else if (name == QLatin1String("token"))
        o.token = value.trimmed();
    else if (name == QLatin1String("tls"))
        o.tls = true;
    else if (name == QLatin1String("root-cert"))
        o.rootCertificateFile = nonEmpty(name, value);
    else if (name == QLatin1String("deadline-ms"))
        o.deadlineMs = intValue(name, value, 1, 600000);
    else if (name == QLatin1String("local-db"))
        o.localSqlite = nonEmpty(name, value);
    else if (name == QLatin1String("local-pg"))
        o.localPostgres = nonEmpty(name, value);
    else if (name == QLatin1String("plugins"))
        o.pluginDir = nonEmpty(name, value);
    else if (name == QLatin1String("open"))
        o.openScreen = nonEmpty(name, value).toUpper();
    else if (name == QLatin1String("maximize-screen"))
        o.maximizeScreen = true;
    else if (name == QLatin1String("screenshot"))
        o.screenshotFile = nonEmpty(name, value);
    else if (name == QLatin1String("report-pdf"))
        o.reportPdfFile = nonEmpty(name, value);
    else if (name == QLatin1String("screenshot-timeout-ms"))
        o.screenshotTimeoutMs = intValue(name, value, 100, 600000);
    else if (name == QLatin1String("help"))
        o.help = true;
}

// Codes are stored trimmed and in upper case; a longer or odd code would
// silently select another branch or none.
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

}  // namespace

HostOptions parseHostOptions(const QStringList &arguments)
{
    HostOptions result;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!argument.startsWith(QLatin1String("--")))
            throw platform::Error(QStringLiteral("Argumento inesperado: \"%1\".").arg(argument));
        QString name = argument.mid(2);
        std::optional<QString> value;
        if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        const bool takesValue = kValued.contains(name);
        if (!takesValue && !kFlags.contains(name))
            throw platform::Error(QStringLiteral("Opção desconhecida: --%1.").arg(name));
        if (takesValue && !value) {
            if (i + 1 >= arguments.size())
                throw platform::Error(QStringLiteral("Falta o valor de --%1.").arg(name));
            value = arguments.at(++i);
        } else if (!takesValue && value) {
            throw platform::Error(QStringLiteral("A opção --%1 não leva valor.").arg(name));
        }
        apply(result, name, value.value_or(QString()));
    }
    if (!result.localSqlite.isEmpty() && !result.localPostgres.isEmpty())
        throw platform::Error(QStringLiteral("Use --local-db ou --local-pg, não os dois."));
    if (!result.screenshotFile.isEmpty() && result.openScreen.isEmpty())
        throw platform::Error(
            QStringLiteral("--screenshot precisa de --open com a tela a mostrar."));
    if (!result.reportPdfFile.isEmpty() && result.openScreen.isEmpty())
        throw platform::Error(
            QStringLiteral("--report-pdf precisa de --open com a tela do relatório."));
    if (!result.reportPdfFile.isEmpty() && !result.screenshotFile.isEmpty())
        throw platform::Error(QStringLiteral("Use --screenshot ou --report-pdf, não os dois."));
    if (result.maximizeScreen && result.openScreen.isEmpty())
        throw platform::Error(
            QStringLiteral("--maximize-screen precisa de --open com a tela a abrir."));
    if (result.branchCode)
        result.branchCode = branchCode(*result.branchCode);
    return result;
}

QString hostUsage()
{
    return QStringLiteral(
        "Uso: ate-host [opções]\n"
        "  --config ARQUIVO        arquivo INI com as seções [branch], [server] e [database]\n"
        "  --branch CÓDIGO         filial atual (até 4 letras ou dígitos)\n"
        "  --branch-name NOME      nome da filial (padrão: lido da tabela FILIAL do banco local)\n"
        "  --bound | --unbound     o módulo fica preso à filial (ModuFili) ou não\n"
        "  --server HOST           servidor de aplicação (padrão localhost)\n"
        "  --port PORTA            porta do servidor (padrão 50051)\n"
        "  --token TEXTO           token enviado a cada chamada\n"
        "  --tls                   conexão com TLS\n"
        "  --root-cert ARQUIVO     certificado raiz PEM do servidor (liga o TLS)\n"
        "  --deadline-ms N         tempo máximo de cada chamada (padrão 5000)\n"
        "  --local-db ARQUIVO      banco local SQLite\n"
        "  --local-pg CONEXÃO      banco local PostgreSQL (\"host=… dbname=… user=…\")\n"
        "  --plugins PASTA         pasta dos pacotes (padrão: ../plugins a partir do executável)\n"
        "  --open CÓDIGO           abre a tela ao iniciar, por exemplo ATE25400\n"
        "  --maximize-screen       abre a tela de --open maximizada na janela principal\n"
        "  --screenshot ARQUIVO    grava a janela em PNG quando a tela terminar a primeira carga\n"
        "                          (depois de descer uma linha na primeira grade e voltar, como\n"
        "                          faria o usuário) e encerra (0: sucesso)\n"
        "  --screenshot-timeout-ms N  espera máxima pela primeira carga (padrão 20000)\n"
        "  --report-pdf ARQUIVO    quando a tela terminar a primeira carga, usa o comando de\n"
        "                          impressão com os valores iniciais do formulário, grava o\n"
        "                          relatório em PDF e encerra (0: sucesso)\n"
        "  --help                  mostra esta ajuda\n");
}

void applyHostOptions(const HostOptions &options, host::Context &context)
{
    if (!options.configFile.isEmpty())
        context.loadFromSettings(options.configFile);
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

}  // namespace app
