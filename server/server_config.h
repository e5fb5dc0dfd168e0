#pragma once

#include "database.h"
#include "grpc_server.h"

#include <string>
#include <vector>

namespace appserver {

// Everything the server executable is started with. Flags win over the
// config file, whatever their order.
struct ServerConfig
{
    ServerOptions server;
    DatabaseTarget database = DatabaseTarget::parse("ate25400.db");
    std::string token;
    bool help = false;
    // Creates or upgrades the schema, then exits: the only way the server
    // writes to its database.
    bool initSchema = false;
};

// Reads `--name value` / `--name=value` flags and, with `--config FILE`, a
// file of `name = value` lines (`#` starts a comment) with the same names.
Result<ServerConfig> parseServerConfig(const std::vector<std::string> &args);

std::string serverUsage();

}  // namespace appserver
