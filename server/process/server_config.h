#pragma once

#include "server/db/database.h"
#include "server/transport/call_log.h"
#include "server/transport/grpc_server.h"

#include <string>
#include <string_view>
#include <vector>

namespace appserver {

// Everything the server executable is started with. Flags win over the
// config file, whatever their order.
struct ServerConfig
{
    ServerOptions server;
    DatabaseTarget database = DatabaseTarget::parse("ate25400.db");
    std::string token;
    CallLogLevel logCalls = CallLogLevel::Errors;
    std::string logFile; // empty: standard error
    int logMaxMb = 100;
    int maxReplyMb = 60;
    bool replyCache = true;
    // Tells the hosts what changed (WatchChanges); off, they read on their
    // period as they did before.
    bool changeFeed = true;
    int replyCacheMb = 64;
    bool help = false;
    bool version = false;
    // Where the chosen port is written once the server listens, so that a
    // script started with --port 0 reads it instead of matching a log line.
    std::string portFile;
    // Creates or upgrades the schema, then exits: the only way the server
    // writes to its database.
    bool initSchema = false;
    // Serves an address other than loopback without TLS or without a token;
    // refused otherwise.
    bool allowInsecure = false;

    // Listening beyond this machine without TLS and a token, by request.
    bool servesInsecurely() const;
};

// Reads `--name value` / `--name=value` flags and, with `--config FILE`, a
// file of `name = value` lines (`#` starts a comment) with the same names.
Result<ServerConfig> parseServerConfig(const std::vector<std::string> &args);

std::string serverUsage();

// "ate-appserver 1.0", for --version.
std::string serverVersion();

bool isLoopbackAddress(std::string_view address);

} // namespace appserver
