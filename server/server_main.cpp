#include "server_main.h"

#include "call_handler.h"
#include "grpc_server.h"
#include "rdm_pos_fdi_plav.h"
#include "schema.h"
#include "server_config.h"

#include <csignal>
#include <cstdio>
#include <iostream>

namespace appserver {

int runServer(const std::vector<std::string> &args)
{
    // Blocked before any thread exists, so every thread inherits the mask
    // and only sigwait below sees the signals.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    Result<ServerConfig> config = parseServerConfig(args);
    if (!config) {
        std::cerr << config.error().message << "\n\n" << serverUsage();
        return 2;
    }
    if (config->help) {
        std::cout << serverUsage();
        return 0;
    }

    CallLog log;
    ConnectionPool pool(config->database);
    {
        Result<Connection *> connection = pool.connection();
        Status migrated = connection ? migrateSchema(**connection) : Status(connection.error());
        if (!migrated) {
            log.info("cannot open database: " + migrated.error().message + " " +
                     migrated.error().detail);
            return 1;
        }
        log.info(std::string("database ") +
                 (config->database.dialect == Dialect::SQLite ? "sqlite " + config->database.target
                                                              : std::string("postgresql")) +
                 ", schema version " + std::to_string(latestSchemaVersion()));
    }

    CallHandler handler(pool, log, config->token);
    handler.addModule(rdmPosFDiPlav());
    Result<std::unique_ptr<GrpcServer>> server = GrpcServer::start(config->server, handler, log);
    if (!server) {
        log.info("cannot start: " + server.error().message + " " + server.error().detail);
        return 1;
    }

    int received = 0;
    sigwait(&signals, &received);
    log.info(std::string("received ") + (received == SIGTERM ? "SIGTERM" : "SIGINT") +
             ", shutting down");
    (*server)->shutdown();
    return 0;
}

}  // namespace appserver
