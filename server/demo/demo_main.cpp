#include "server/demo/demo_main.h"

#include "server/common/translation.h"
#include "server/db/sql_time.h"
#include "server/demo/demo_data.h"

#include <charconv>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace appserver::demo {
namespace {

const char *const kUsage = N_(
    "Uso: ate-demodata [opções]\n"
    "Gera um conjunto de dados de demonstração repetível, com o esquema do banco.\n"
    "  --server-db BANCO   banco do servidor de aplicação: arquivo SQLite (padrão ate25400.db,\n"
    "                      substituído) ou conexão PostgreSQL (tabelas esvaziadas e recarregadas)\n"
    "  --local-db ARQUIVO  banco local do host com a tabela FILIAL (padrão ate25400-local.db,\n"
    "                      substituído); \"-\" não gera\n"
    "  --start AAAA-MM-DD  primeiro dia (padrão: hoje menos 15 dias)\n"
    "  --days N            quantidade de dias (padrão 31)\n"
    "  --seed N            semente (padrão 25400)\n"
    "  --version           mostra a versão\n"
    "  --help              mostra esta ajuda\n");

void removeSqliteFiles(const std::string &path)
{
    std::error_code ignored;
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(path + suffix, ignored);
}

template<typename T> bool toNumber(const std::string &text, T &out)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

int runDemoData(const std::vector<std::string> &args)
{
    initTranslation();
    std::string serverDb = "ate25400.db";
    std::string localDb = "ate25400-local.db";
    DemoOptions options;
    options.firstDay = localToday() - 15 * kMsecsPerDay;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &name = args[i];
        if (name == "--help" || name == "-h") {
            std::cout << tr(kUsage);
            return 0;
        }
        if (name == "--version") {
            std::cout << "ate-demodata " ATE_VERSION "\n";
            return 0;
        }
        if (name != "--server-db" && name != "--local-db" && name != "--start" && name != "--days"
            && name != "--seed") {
            std::cerr << tr("Opção desconhecida: %1.", {name}) << "\n\n" << tr(kUsage);
            return 2;
        }
        if (i + 1 >= args.size()) {
            std::cerr << tr("Falta o valor de %1.", {name}) << "\n\n" << tr(kUsage);
            return 2;
        }
        const std::string &value = args[++i];
        bool ok = true;
        if (name == "--server-db") {
            serverDb = value;
        } else if (name == "--local-db") {
            localDb = value;
        } else if (name == "--start") {
            Result<std::int64_t> day = parseDay(value);
            ok = day.ok();
            if (ok)
                options.firstDay = *day;
        } else if (name == "--days") {
            ok = toNumber(value, options.days) && options.days >= 1 && options.days <= 366;
        } else if (name == "--seed") {
            ok = toNumber(value, options.seed);
        } else {
            std::cerr << tr("Opção desconhecida: %1.", {name}) << "\n\n" << tr(kUsage);
            return 2;
        }
        if (!ok) {
            std::cerr << tr("Valor inválido para %1: \"%2\".", {name, value}) << "\n\n"
                      << tr(kUsage);
            return 2;
        }
    }

    const auto started = std::chrono::steady_clock::now();
    DatabaseTarget dbTarget = DatabaseTarget::parse(serverDb, Access::Create);
    dbTarget.walWhenCreated = true;
    if (dbTarget.dialect == Dialect::SQLite)
        removeSqliteFiles(serverDb);
    Result<std::unique_ptr<Connection>> server = openConnection(dbTarget);
    if (!server) {
        std::cerr << server.error().message << " " << server.error().detail << "\n";
        return 1;
    }
    Result<DemoSummary> summary = writeServerData(**server, options);
    if (!summary) {
        std::cerr << summary.error().message << " " << summary.error().detail << "\n";
        return 1;
    }
    if (localDb != "-") {
        removeSqliteFiles(localDb);
        Result<std::unique_ptr<Connection>> local =
            openConnection(DatabaseTarget::parse(localDb, Access::Create));
        Status written = local ? writeLocalBranches(**local) : Status(local.error());
        if (!written) {
            std::cerr << written.error().message << " " << written.error().detail << "\n";
            return 1;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::ostringstream took;
    took << seconds;
    std::cout << tr("dados de demonstração: %1 filiais, %2 companhias, %3 planos de vôo, %4 "
                    "previsões, %5 serviços; de %6 por %7 dias, semente %8 (%9 s)",
                    {std::to_string(summary->branches), std::to_string(summary->airlines),
                     std::to_string(summary->flightPlans), std::to_string(summary->forecasts),
                     std::to_string(summary->services),
                     formatSqlDateTime(options.firstDay).substr(0, 10),
                     std::to_string(options.days), std::to_string(options.seed), took.str()})
              << "\n"
              << tr("servidor: %1",
                    {dbTarget.dialect == Dialect::SQLite ? serverDb : std::string("PostgreSQL")})
              << "\n";
    if (localDb != "-")
        std::cout << "local: " << localDb << "\n";
    return 0;
}

} // namespace appserver::demo
