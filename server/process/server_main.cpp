#include "server/process/server_main.h"

#include "server/common/translation.h"

#include "server/cache/reply_cache.h"
#include "server/db/schema.h"
#include "server/db/sqlite_connection.h"
#include "server/feed/change_tail.h"
#include "server/module/change_scopes.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/process/server_config.h"
#include "server/transport/call_handler.h"
#include "server/transport/grpc_server.h"

#include <sys/resource.h>

#include <cstdlib>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>

namespace appserver {
namespace {

// Each connection takes a descriptor, and the default soft limit (often
// 1024, sometimes 256) is far below what the machine allows.
std::string raiseOpenFileLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return "open files: unknown limit";
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return "open files limit " + std::to_string(limit.rlim_cur);
}

int initSchema(DatabaseTarget dbTarget, CallLog &log)
{
    dbTarget.access = Access::Create;
    dbTarget.walWhenCreated = true;
    Result<std::unique_ptr<Connection>> connection = openConnection(dbTarget);
    Status migrated = connection ? migrateSchema(**connection) : Status(connection.error());
    if (!migrated) {
        log.info("cannot create the schema: " + migrated.error().message + " ("
                 + migrated.error().detail + ")");
        return 1;
    }
    log.info("schema version " + std::to_string(latestSchemaVersion()) + " ready in "
             + (*connection)->describe());
    return 0;
}

// Opens the database as the workers will, refuses what cannot be served
// and logs what is served, so that a wrong file shows at start.
Status checkDatabase(const DatabaseTarget &dbTarget, CallLog &log, ReplyCache &cache)
{
    Result<std::unique_ptr<Connection>> connection = openConnection(dbTarget);
    if (!connection)
        return connection.error();
    if (Status schema = checkSchema(**connection); !schema)
        return schema;
    Result<std::string> rows = tableRowCounts(**connection);
    if (!rows)
        return rows.error();
    Result<int> version = schemaVersion(**connection);
    if (!version)
        return version.error();
    log.info("database " + (*connection)->describe() + ", schema version "
             + std::to_string(*version) + ", rows " + *rows);
    if (dbTarget.dialect == Dialect::SQLite) {
        if (const std::string mode = sqliteJournalMode(**connection); mode != "wal") {
            log.info("the SQLite file is in " + mode
                     + " journal mode: while another program holds a write transaction on it, "
                       "every call waits and then fails; switch it to WAL once, with no server "
                       "running: sqlite3 FILE 'PRAGMA journal_mode=WAL' (see the server's README)");
        }
    }
    cache.probe(**connection);
    return success();
}

// Written whole under a temporary name and renamed, so that a reader never
// sees half a number.
Status writePortFile(const std::string &path, int port)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << port << "\n";
        if (!out.flush())
            return Error{"cannot write the port file " + temporary, {}};
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        return Error{"cannot rename the port file to " + path, {}};
    return success();
}

} // namespace

int runServer(const std::vector<std::string> &args)
{
    // Blocked before any thread exists, so every thread inherits the mask
    // and only sigwait below sees the signals.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    initTranslation();
    Result<ServerConfig> config = parseServerConfig(args);
    if (!config) {
        std::cerr << config.error().message << "\n\n" << serverUsage();
        return 2;
    }
    if (config->help) {
        std::cout << serverUsage();
        return 0;
    }
    if (config->version) {
        std::cout << serverVersion();
        return 0;
    }

    CallLog log(stderr, config->logCalls);
    if (!config->logFile.empty()) {
        if (std::string failed =
                log.openFile(config->logFile, static_cast<std::uint64_t>(config->logMaxMb) << 20);
            !failed.empty()) {
            std::cerr << failed << "\n";
            return 1;
        }
    }
    log.info(raiseOpenFileLimit());
    if (config->servesInsecurely() && !config->initSchema) {
        log.info("warning: serving " + config->server.address + " beyond this machine "
                 + (config->server.tlsCertFile.empty() ? "without TLS" : "with TLS")
                 + (config->token.empty() ? " and without a token" : "")
                 + " (--allow-insecure): anyone on the network can read the flight plans");
    }
    if (config->initSchema)
        return initSchema(config->database, log);
    // The one reply cache, shared by the workers through the module.
    ReplyCacheLimits cacheLimits;
    cacheLimits.enabled = config->replyCache;
    cacheLimits.maxBytes = static_cast<std::size_t>(config->replyCacheMb) << 20;
    cacheLimits.maxReplyBytes = static_cast<std::size_t>(config->maxReplyMb) << 20;
    ReplyCache cache(cacheLimits);
    cache.setNotice([&log](const std::string &line) { log.info(line); });
    log.info(cache.describe());
    if (Status ready = checkDatabase(config->database, log, cache); !ready) {
        log.info("cannot open database: " + ready.error().message + " (" + ready.error().detail
                 + ")");
        return 1;
    }

    ConnectionPool pool(config->database, config->server.threads);
    CallHandler handler(pool, log, config->token);
    handler.setMaxReplyBytes(static_cast<std::size_t>(config->maxReplyMb) << 20);
    handler.addModule(rdmPosFDiPlav(cache));
    // The hosts learn from it what changed, and keep what did not.
    ChangeTail::Options feedOptions;
    feedOptions.database = config->database;
    feedOptions.scopesOf = scopesOfChange;
    std::optional<ChangeTail> tail;
    if (config->changeFeed) {
        tail.emplace(feedOptions, [&log](const std::string &line) { log.info(line); });
        handler.setChangeTail(&*tail);
    } else {
        log.info("change feed off: the hosts read on their own period");
    }
    Result<std::unique_ptr<GrpcServer>> server = GrpcServer::start(config->server, handler, log);
    if (!server) {
        log.info("cannot start: " + server.error().message + " " + server.error().detail);
        return 1;
    }
    if (tail)
        tail->start();

    if (!config->portFile.empty()) {
        if (Status written = writePortFile(config->portFile, (*server)->port()); !written) {
            log.info(written.error().message);
            (*server)->shutdown();
            return 1;
        }
    }

    int received = 0;
    sigwait(&signals, &received);
    log.info(std::string("received ") + (received == SIGTERM ? "SIGTERM" : "SIGINT")
             + ", shutting down");
    // Running calls get up to 2 s, and the process ends by then: a call
    // still building its reply (or waiting for a database that hangs) is
    // left behind.
    const auto giveUpAt = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    if ((*server)->stopWithin(std::chrono::milliseconds(1500), giveUpAt) > 0)
        std::_Exit(0);
    return 0;
}

} // namespace appserver
