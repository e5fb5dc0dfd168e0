#include "app/command_line.h"

#include "platform/abort.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace app {
namespace {

platform::Error invalidValue(const QString &name, const QString &value, const QString &expected)
{
    return platform::Error(
        QCoreApplication::translate("CommandLine", "Valor inválido para --%1: \"%2\" (%3).")
            .arg(name, value, expected));
}

int intValue(const QString &name, const QString &value, int min, int max)
{
    bool ok = false;
    const int number = value.trimmed().toInt(&ok);
    if (!ok || number < min || number > max)
        throw invalidValue(
            name, value,
            QCoreApplication::translate("CommandLine", "de %1 a %2").arg(min).arg(max));
    return number;
}

QString nonEmpty(const QString &name, const QString &value)
{
    if (value.trimmed().isEmpty())
        throw invalidValue(name, value,
                           QCoreApplication::translate("CommandLine", "não pode ficar vazio"));
    return value.trimmed();
}

const QStringList kFlags = {"bound", "unbound", "tls", "maximize-screen", "help", "version"};
const QStringList kValued = {
    "config",     "branch",     "branch-name",           "server",    "port",     "token",
    "token-file", "root-cert",  "deadline-ms",           "local-db",  "local-pg", "plugins",
    "open",       "screenshot", "screenshot-timeout-ms", "report-pdf"};

// QCommandLineParser words its refusals without the option the user typed;
// the host says, in the user's language, which one is wrong.
platform::Error refusal(const QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.unknownOptionNames().isEmpty())
        return platform::Error(
            QCoreApplication::translate("CommandLine", "Opção desconhecida: --%1.")
                .arg(parser.unknownOptionNames().first()));
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString name = arguments.at(i).mid(2).section(QLatin1Char('='), 0, 0);
        const bool hasValue = arguments.at(i).contains(QLatin1Char('='));
        if (kFlags.contains(name) && hasValue)
            return platform::Error(
                QCoreApplication::translate("CommandLine", "A opção --%1 não leva valor.")
                    .arg(name));
        if (kValued.contains(name) && !hasValue && i + 1 == arguments.size())
            return platform::Error(
                QCoreApplication::translate("CommandLine", "Falta o valor de --%1.").arg(name));
    }
    return platform::Error(parser.errorText());
}

} // namespace

HostOptions parseHostOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const QString &name : kFlags)
        parser.addOption(QCommandLineOption(name));
    for (const QString &name : kValued)
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
    // The parser skips the first argument as the program's name.
    if (!parser.parse(QStringList{QStringLiteral("ate-host")} + arguments))
        throw refusal(parser, arguments);
    if (!parser.positionalArguments().isEmpty())
        throw platform::Error(
            QCoreApplication::translate("CommandLine", "Argumento inesperado: \"%1\".")
                .arg(parser.positionalArguments().first()));

    HostOptions o;
    const auto set = [&parser](const char *name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&parser](const char *name) { return parser.value(QLatin1String(name)); };
    const auto text = [&](const char *name) { return nonEmpty(QLatin1String(name), value(name)); };
    const auto number = [&](const char *name, int min, int max) {
        return intValue(QLatin1String(name), value(name), min, max);
    };

    o.help = set("help");
    o.version = set("version");
    if (set("config"))
        o.configFile = text("config");
    if (set("branch"))
        o.branchCode = branchCode(value("branch"));
    if (set("branch-name"))
        o.branchName = value("branch-name").trimmed();
    if (set("bound") && set("unbound"))
        throw platform::Error(
            QCoreApplication::translate("CommandLine", "Use --bound ou --unbound, não os dois."));
    if (set("bound") || set("unbound"))
        o.moduleBound = set("bound");
    if (set("server"))
        o.serverHost = text("server");
    if (set("port"))
        o.serverPort = number("port", 1, 65535);
    if (set("token") && set("token-file"))
        throw platform::Error(QCoreApplication::translate(
            "CommandLine", "Use --token ou --token-file, não os dois."));
    if (set("token"))
        o.token = value("token").trimmed();
    if (set("token-file"))
        o.tokenFile = text("token-file");
    if (set("tls"))
        o.tls = true;
    if (set("root-cert"))
        o.rootCertificateFile = text("root-cert");
    if (set("deadline-ms"))
        o.deadlineMs = number("deadline-ms", 1, 600000);
    if (set("local-db"))
        o.localSqlite = text("local-db");
    if (set("local-pg"))
        o.localPostgres = text("local-pg");
    if (set("plugins"))
        o.pluginDir = text("plugins");
    if (set("open"))
        o.openScreen = text("open").toUpper();
    o.maximizeScreen = set("maximize-screen");
    if (set("screenshot"))
        o.screenshotFile = text("screenshot");
    if (set("report-pdf"))
        o.reportPdfFile = text("report-pdf");
    if (set("screenshot-timeout-ms"))
        o.screenshotTimeoutMs = number("screenshot-timeout-ms", 100, 600000);

    if (!o.localSqlite.isEmpty() && !o.localPostgres.isEmpty())
        throw platform::Error(QCoreApplication::translate(
            "CommandLine", "Use --local-db ou --local-pg, não os dois."));
    if (!o.screenshotFile.isEmpty() && o.openScreen.isEmpty())
        throw platform::Error(QCoreApplication::translate(
            "CommandLine", "--screenshot precisa de --open com a tela a mostrar."));
    if (!o.reportPdfFile.isEmpty() && o.openScreen.isEmpty())
        throw platform::Error(QCoreApplication::translate(
            "CommandLine", "--report-pdf precisa de --open com a tela do relatório."));
    if (!o.reportPdfFile.isEmpty() && !o.screenshotFile.isEmpty())
        throw platform::Error(QCoreApplication::translate(
            "CommandLine", "Use --screenshot ou --report-pdf, não os dois."));
    if (o.maximizeScreen && o.openScreen.isEmpty())
        throw platform::Error(QCoreApplication::translate(
            "CommandLine", "--maximize-screen precisa de --open com a tela a abrir."));
    return o;
}

QString hostUsage()
{
    return QCoreApplication::translate(
        "CommandLine",
        "Uso: ate-host [opções]\n"
        "  --config ARQUIVO        arquivo INI com as seções [branch], [server] e [database]\n"
        "  --branch CÓDIGO         filial atual (até 4 letras ou dígitos)\n"
        "  --branch-name NOME      nome da filial (padrão: lido da tabela FILIAL do banco local)\n"
        "  --bound | --unbound     o módulo fica preso à filial (ModuFili) ou não\n"
        "  --server HOST           servidor de aplicação (padrão localhost)\n"
        "  --port PORTA            porta do servidor (padrão 50051)\n"
        "  --token TEXTO           token enviado a cada chamada (visível na lista de processos)\n"
        "  --token-file ARQUIVO    lê o token da primeira linha do arquivo\n"
        "  --tls                   conexão com TLS\n"
        "  --root-cert ARQUIVO     certificado raiz PEM do servidor (liga o TLS)\n"
        "  --deadline-ms N         tempo máximo de cada chamada (padrão 5000)\n"
        "  --local-db ARQUIVO      banco local SQLite\n"
        "  --local-pg CONEXÃO      banco local PostgreSQL (\"host=… dbname=… user=…\")\n"
        "  --plugins PASTA         pasta dos pacotes (padrão: a do programa instalado)\n"
        "  --open CÓDIGO           abre a tela ao iniciar, por exemplo ATE25400\n"
        "  --maximize-screen       abre a tela de --open maximizada na janela principal\n"
        "  --screenshot ARQUIVO    grava a janela em PNG quando a tela terminar a primeira carga\n"
        "                          (depois de descer uma linha na primeira grade e voltar, como\n"
        "                          faria o usuário) e encerra (0: sucesso)\n"
        "  --screenshot-timeout-ms N  espera máxima pela primeira carga (padrão 20000)\n"
        "  --report-pdf ARQUIVO    quando a tela terminar a primeira carga, usa o comando de\n"
        "                          impressão com os valores iniciais do formulário, grava o\n"
        "                          relatório em PDF e encerra (0: sucesso)\n"
        "  --version               mostra a versão\n"
        "  --help                  mostra esta ajuda\n");
}

QString hostVersion()
{
    return QStringLiteral("ate-host " ATE_VERSION "\n");
}

std::optional<int> readCommandLine(const QStringList &arguments, HostOptions &options)
{
    try {
        options = parseHostOptions(arguments);
    } catch (const platform::Error &error) {
        std::fprintf(stderr, "ate-host: %s\n\n%s", qPrintable(error.message()),
                     qPrintable(hostUsage()));
        return 2;
    }
    if (options.help) {
        std::fputs(qPrintable(hostUsage()), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(qPrintable(hostVersion()), stdout);
        return 0;
    }
    return std::nullopt;
}

} // namespace app
