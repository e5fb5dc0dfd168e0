#include "server/process/server_config.h"

#include "server/common/translation.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <map>

namespace appserver {
namespace {

const char *const kUsage = N_(
    "Uso: ate-appserver [opções]\n"
    "  --address ENDEREÇO      endereço de escuta (padrão 127.0.0.1)\n"
    "  --port PORTA            porta (padrão 50051; 0 escolhe uma livre)\n"
    "  --port-file ARQUIVO     grava a porta escolhida no arquivo quando o servidor escuta\n"
    "  --database BANCO        arquivo SQLite (padrão ate25400.db) ou conexão PostgreSQL\n"
    "                          (postgresql://… ou \"host=… dbname=…\")\n"
    "  --threads N             conexões ao banco de dados (padrão: duas por núcleo, no\n"
    "                          máximo 8 no PostgreSQL)\n"
    "  --busy-timeout-ms N     espera por um banco SQLite ocupado (padrão 2000)\n"
    "  --idle-timeout-s N      fecha conexões ociosas após N segundos (padrão 300)\n"
    "  --max-connections N     recusa conexões além de N (padrão: limite de arquivos abertos\n"
    "                          menos uma reserva; sem TLS)\n"
    "  --tls-cert ARQUIVO      certificado PEM do servidor (com --tls-key liga o TLS)\n"
    "  --tls-key ARQUIVO       chave PEM do servidor\n"
    "  --token TEXTO           exige \"authorization: Bearer TEXTO\" em cada chamada\n"
    "  --token-file ARQUIVO    lê o token da primeira linha do arquivo\n"
    "  --allow-insecure        aceita escutar fora da máquina local sem TLS e token\n"
    "  --log-calls NÍVEL       linha de log por chamada: off, errors (padrão) ou all\n"
    "  --log-file ARQUIVO      log num arquivo (padrão: saída de erros)\n"
    "  --log-max-mb N          tamanho do arquivo de log antes de passar a ARQUIVO.1 (padrão 100)\n"
    "  --max-reply-mb N        maior resposta enviada (padrão 60; o cliente aceita até 64)\n"
    "  --reply-cache-mb N      memória das respostas guardadas (padrão 64)\n"
    "  --no-reply-cache        responde sempre do banco, sem guardar respostas\n"
    "  --no-change-feed        não avisa os hosts do que muda no banco: cada host lê tudo\n"
    "                          do servidor no seu período\n"
    "  --config ARQUIVO        arquivo com linhas \"nome = valor\" (mesmos nomes)\n"
    "  --init-schema           cria ou atualiza o esquema do banco (cria o arquivo SQLite se\n"
    "                          não existir) e termina; sem ela o banco só é lido\n"
    "  --version               mostra a versão\n"
    "  --help                  mostra esta ajuda\n");

std::string trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

Result<int> toInt(const std::string &name, const std::string &value, int min, int max)
{
    int number = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (ec != std::errc() || end != value.data() + value.size() || number < min || number > max) {
        return Error{tr("Valor inválido para %1: \"%2\" (de %3 a %4).",
                        {name, value, std::to_string(min), std::to_string(max)}),
                     {}};
    }
    return number;
}

// The options that take a value, on the command line and in the file, in
// the order they are applied.
constexpr std::string_view kValued[] = {
    "address",   "port",     "port-file",  "database",     "threads",        "busy-timeout-ms",
    "log-calls", "log-file", "log-max-mb", "max-reply-mb", "reply-cache-mb", "idle-timeout-s",
    "tls-cert",  "tls-key",  "token",      "token-file",   "max-connections"};

Status apply(ServerConfig &config, const std::string &name, const std::string &value)
{
    if (name == "address") {
        config.server.address = value;
    } else if (name == "port") {
        Result<int> port = toInt(name, value, 0, 65535);
        if (!port)
            return port.error();
        config.server.port = *port;
    } else if (name == "port-file") {
        if (trim(value).empty())
            return Error{tr("O arquivo da porta (--port-file) não pode ser vazio."), {}};
        config.portFile = value;
    } else if (name == "database") {
        const int busy = config.database.busyTimeoutMs;
        config.database = DatabaseTarget::parse(value);
        config.database.busyTimeoutMs = busy;
    } else if (name == "threads") {
        Result<int> threads = toInt(name, value, 1, 256);
        if (!threads)
            return threads.error();
        config.server.threads = *threads;
    } else if (name == "busy-timeout-ms") {
        // Kept below the client's 5 s deadline.
        Result<int> ms = toInt(name, value, 0, 4500);
        if (!ms)
            return ms.error();
        config.database.busyTimeoutMs = *ms;
    } else if (name == "log-calls") {
        if (value == "off")
            config.logCalls = CallLogLevel::Off;
        else if (value == "errors")
            config.logCalls = CallLogLevel::Errors;
        else if (value == "all")
            config.logCalls = CallLogLevel::All;
        else
            return Error{tr("Valor inválido para log-calls: \"%1\" (off, errors ou all).", {value}),
                         {}};
    } else if (name == "log-file") {
        config.logFile = value;
    } else if (name == "log-max-mb") {
        Result<int> mb = toInt(name, value, 1, 100000);
        if (!mb)
            return mb.error();
        config.logMaxMb = *mb;
    } else if (name == "max-reply-mb") {
        Result<int> mb = toInt(name, value, 1, 1024);
        if (!mb)
            return mb.error();
        config.maxReplyMb = *mb;
    } else if (name == "reply-cache-mb") {
        Result<int> mb = toInt(name, value, 1, 4096);
        if (!mb)
            return mb.error();
        config.replyCacheMb = *mb;
    } else if (name == "idle-timeout-s") {
        Result<int> seconds = toInt(name, value, 1, 24 * 3600);
        if (!seconds)
            return seconds.error();
        config.server.idleTimeoutMs = *seconds * 1000;
    } else if (name == "max-connections") {
        Result<int> connections = toInt(name, value, 1, 1 << 20);
        if (!connections)
            return connections.error();
        config.server.maxConnections = *connections;
    } else if (name == "tls-cert") {
        config.server.tlsCertFile = value;
    } else if (name == "tls-key") {
        config.server.tlsKeyFile = value;
    } else if (name == "token") {
        // An empty token would switch the check off without a word.
        if (trim(value).empty())
            return Error{tr("O token de acesso (--token) não pode ser vazio."), {}};
        config.token = value;
    } else if (name == "token-file") {
        std::ifstream in(value);
        std::string line;
        if (!in || !std::getline(in, line))
            return Error{tr("Não foi possível ler o token de %1.", {value}), {}};
        config.token = trim(line);
        if (config.token.empty())
            return Error{tr("A primeira linha de %1 não tem token de acesso.", {value}), {}};
    } else {
        return Error{tr("Opção desconhecida: %1.", {name}), {}};
    }
    return success();
}

// The config file's lines, "name = value" with "#" starting a comment: a
// value is taken whole, spaces and commas included (a libpq connection
// string has both), never split into a list.
std::shared_ptr<CLI::Config> nameValueLines()
{
    auto format = std::make_shared<CLI::ConfigBase>();
    format->comment('#');
    format->valueSeparator('=');
    format->arrayBounds('\x01', '\x01');
    format->arrayDelimiter('\x01');
    return format;
}

// The option a parse error names: its text begins "--name: …".
std::string optionNamed(const CLI::Error &error)
{
    const std::string text = error.what();
    return text.substr(0, text.find(':'));
}

Error parseFailure(const CLI::ParseError &error, const std::string &configFile)
{
    if (dynamic_cast<const CLI::FileError *>(&error))
        return Error{tr("Não foi possível abrir o arquivo de configuração %1.", {configFile}), {}};
    if (dynamic_cast<const CLI::ArgumentMismatch *>(&error))
        return Error{tr("Falta o valor de %1.", {optionNamed(error)}), {}};
    if (dynamic_cast<const CLI::ConfigError *>(&error)
        || (dynamic_cast<const CLI::ConversionError *>(&error) && !configFile.empty()))
        return Error{
            tr("Valor inválido no arquivo de configuração %1: %2.", {configFile, error.what()}),
            {}};
    return Error{tr("Argumento inesperado: %1.", {error.what()}), {}};
}

// What the parser left over: an option it does not know, an argument that
// is no option, or a name of the config file that is no setting.
Error leftOver(const std::string &argument, const std::vector<std::string> &args)
{
    if (argument.starts_with("-"))
        return Error{tr("Opção desconhecida: %1.", {argument.substr(0, argument.find('='))}), {}};
    if (std::find(args.begin(), args.end(), argument) != args.end())
        return Error{tr("Argumento inesperado: %1.", {argument}), {}};
    return Error{tr("Opção desconhecida: %1.", {argument}), {}};
}

Status checkAccess(const ServerConfig &config)
{
    if (config.server.tlsCertFile.empty() != config.server.tlsKeyFile.empty())
        return Error{tr("TLS exige --tls-cert e --tls-key juntos."), {}};
    const bool secured = !config.server.tlsCertFile.empty() && !config.token.empty();
    if (!config.initSchema && !secured && !isLoopbackAddress(config.server.address)
        && !config.allowInsecure) {
        return Error{
            tr("Escutar em %1 (fora da máquina local) exige TLS (--tls-cert e --tls-key) e "
               "um token (--token ou --token-file); para aceitar assim mesmo, use "
               "--allow-insecure.",
               {config.server.address}),
            {}};
    }
    return success();
}

} // namespace

std::string serverUsage()
{
    return tr(kUsage);
}

std::string serverVersion()
{
    return "ate-appserver " ATE_VERSION "\n";
}

Result<ServerConfig> parseServerConfig(const std::vector<std::string> &args)
{
    ServerConfig config;
    // Flags win over the config file: the parser takes a file's value only
    // for an option the command line did not give.
    CLI::App app;
    app.set_help_flag();
    app.allow_extras();
    app.allow_config_extras(CLI::config_extras_mode::capture);
    app.config_formatter(nameValueLines());
    std::string configFile;
    app.set_config("--config")->each([&configFile](const std::string &path) { configFile = path; });
    // The file holds settings only, as "name = value" lines: no command
    // (a stray "init-schema" line must not make a service write its
    // database), and no switch.
    bool noReplyCache = false;
    bool noChangeFeed = false;
    for (auto [flags, target] : {std::pair{"-h,--help", &config.help},
                                 {"--version", &config.version},
                                 {"--init-schema", &config.initSchema},
                                 {"--allow-insecure", &config.allowInsecure},
                                 {"--no-reply-cache", &noReplyCache},
                                 {"--no-change-feed", &noChangeFeed}})
        app.add_flag(flags, *target)->configurable(false);
    std::map<std::string_view, std::string> values;
    for (std::string_view name : kValued) {
        app.add_option("--" + std::string(name), values[name])
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    }

    std::vector<const char *> argv{"ate-appserver"};
    for (const std::string &arg : args)
        argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError &error) {
        return parseFailure(error, configFile);
    }
    if (const std::vector<std::string> rest = app.remaining(); !rest.empty())
        return leftOver(rest.front(), args);
    config.replyCache = !noReplyCache;
    config.changeFeed = !noChangeFeed;
    for (std::string_view name : kValued) {
        if (app.count("--" + std::string(name)) == 0)
            continue;
        if (Status applied = apply(config, std::string(name), values[name]); !applied)
            return applied.error();
    }
    if (Status access = checkAccess(config); !access)
        return access.error();
    return config;
}

bool ServerConfig::servesInsecurely() const
{
    return !isLoopbackAddress(server.address) && (server.tlsCertFile.empty() || token.empty());
}

bool isLoopbackAddress(std::string_view address)
{
    if (address == "localhost" || address == "::1" || address == "[::1]")
        return true;
    // 127.0.0.0/8 as a dotted quad.
    if (!address.starts_with("127."))
        return false;
    int parts = 2; // "127" and the one after it
    for (const char c : address.substr(4)) {
        if (c == '.')
            ++parts;
        else if (c < '0' || c > '9')
            return false;
    }
    return parts == 4;
}

} // namespace appserver
