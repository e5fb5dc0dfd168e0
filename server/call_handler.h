#pragma once

#include "auth_guard.h"
#include "call_log.h"
#include "connection_pool.h"
#include "remote_data_module.h"

#include <grpcpp/support/status.h>

#include <string>
#include <vector>

namespace appserver {

// Answers one late-bound call: authorises it, finds module and method, runs
// it on this thread's connection and logs one line. Whatever the user should
// read comes back as a Failure reply with gRPC status OK; only a missing or
// wrong token gives UNAUTHENTICATED (with a Portuguese message).
class CallHandler
{
public:
    // An empty token accepts every caller.
    CallHandler(ConnectionPool &pool, CallLog &log, std::string token = {});

    void addModule(const RemoteDataModule &module);

    // Run by each worker before it serves: opens its database connection,
    // so that a database every worker cannot open stops the start.
    Status prepareWorker();

    // `authorization` is the caller's "authorization" metadata, e.g.
    // "Bearer s3cret".
    // The database work ends a little before the caller's `deadline`, so
    // that a hung database reaches the caller as a message, not as a
    // timeout.
    // With `record`, the log line is left to the caller, who knows whether
    // the client got the reply.
    grpc::Status handle(const pb::CallRequest &request, pb::CallReply *reply,
                        std::string_view authorization = {}, std::string_view peer = {},
                        std::chrono::system_clock::time_point deadline =
                            std::chrono::system_clock::time_point::max(),
                        CallRecord *record = nullptr);

    // Replies above it are replaced by a failure that says so: the client
    // would refuse them anyway, after the server built and sent them.
    void setMaxReplyBytes(std::size_t bytes) { m_maxReplyBytes = bytes; }
    std::size_t maxReplyBytes() const { return m_maxReplyBytes; }

    static constexpr std::string_view kUnauthenticatedMessage =
        "Acesso negado: o servidor de aplicação exige um token de acesso válido.";
    static constexpr std::string_view kThrottledMessage =
        "Acesso negado: tentativas demais com token inválido deste endereço; tente de novo em "
        "alguns segundos.";

private:
    bool authorized(std::string_view authorization) const;
    Result<std::uint32_t> dispatch(const pb::CallRequest &request, pb::DataPacket *packet,
                                   std::string_view *methodName,
                                   std::chrono::steady_clock::time_point deadline);

    ConnectionPool &m_pool;
    CallLog &m_log;
    std::string m_token;
    AuthGuard m_guard;
    // Below the client's 64 MiB receive limit.
    std::size_t m_maxReplyBytes = 60u << 20;
    std::vector<const RemoteDataModule *> m_modules;
};

}  // namespace appserver
