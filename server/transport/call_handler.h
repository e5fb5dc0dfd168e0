#pragma once

#include "server/db/connection_pool.h"
#include "server/feed/change_tail.h"
#include "server/module/remote_data_module.h"
#include "server/reply/outgoing_reply.h"
#include "server/transport/auth_guard.h"
#include "server/transport/call_log.h"

#include <grpcpp/support/status.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace appserver {

// Answers one late-bound call: authorises it, finds module and method, runs
// it on a connection of the pool and logs one line. Whatever the user should
// read comes back as a Failure reply with gRPC status OK; only a missing or
// wrong token gives UNAUTHENTICATED (with a Portuguese message).
class CallHandler
{
public:
    // An empty token accepts every caller.
    CallHandler(ConnectionPool &pool, CallLog &log, std::string token = {});

    // The handler keeps its own copy of the module.
    void addModule(RemoteDataModule module);

    // Opens the pool's connections before serving, so that a database that
    // cannot be opened stops the start.
    Status openConnections();
    int databaseConnections() const { return m_pool.size(); }

    using Done = std::function<void(grpc::Status)>;

    // Answers the call. What needs no database (a refused token, an unknown
    // module or method, arguments refused) is answered at once on this
    // thread; the rest runs on a connection of the pool, on this thread
    // when one is free, so `done` runs either here or on a pool thread.
    // `authorization` is the caller's "authorization" metadata, e.g.
    // "Bearer s3cret", and is read before this returns; `request`, `reply`
    // and `record` must live until `done` has run. The database work ends a
    // little before the caller's `deadline`, so that a hung database
    // reaches the caller as a message, not as a timeout. The log line is
    // left to the caller, who knows whether the client got the reply.
    void handle(const pb::CallRequest &request, OutgoingReply *reply,
                std::string_view authorization, std::string_view peer,
                std::chrono::system_clock::time_point deadline, CallRecord *record, Done done);

    // The same, waited for, and the reply read back from the bytes a client
    // would get; without `record` it logs the call itself.
    grpc::Status handle(const pb::CallRequest &request, pb::CallReply *reply,
                        std::string_view authorization = {}, std::string_view peer = {},
                        std::chrono::system_clock::time_point deadline =
                            std::chrono::system_clock::time_point::max(),
                        CallRecord *record = nullptr);

    // With a change feed, a successful reply says what it read and the
    // generation it is at least as new as, while the feed is in step.
    void setChangeTail(ChangeTail *tail) { m_tail = tail; }
    ChangeTail *changeTail() const { return m_tail; }

    // Whether a caller may follow the changes: the same token, and the
    // same budget of failures, as for a call. OK, or the refusal to send;
    // `record` gets what the log needs.
    grpc::Status admitWatcher(std::string_view authorization, std::string_view peer,
                              CallRecord *record);

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
    // The refusal of a caller without the right token, or nullopt.
    std::optional<grpc::Status> refusal(std::string_view authorization, std::string_view peer,
                                        std::chrono::steady_clock::time_point started,
                                        CallRecord &record);
    void noteFeed(const RemoteMethod &method, const pb::CallRequest &request,
                  const FeedPosition &at, OutgoingReply *reply) const;
    Result<const RemoteMethod *> find(const pb::CallRequest &request) const;
    Result<std::uint32_t> runOnDatabase(ConnectionPool::Lease &lease, const RemoteMethod &method,
                                        const pb::CallRequest &request, ReplyPacket *packet,
                                        std::chrono::steady_clock::time_point deadline);
    grpc::Status complete(const pb::CallRequest &request, OutgoingReply *reply,
                          Result<std::uint32_t> rows, CallRecord &record,
                          std::chrono::steady_clock::time_point started);

    ConnectionPool &m_pool;
    CallLog &m_log;
    std::string m_token;
    AuthGuard m_guard;
    // Below the client's 64 MiB receive limit.
    std::size_t m_maxReplyBytes = 60u << 20;
    std::vector<RemoteDataModule> m_modules;
    ChangeTail *m_tail = nullptr;
};

} // namespace appserver
