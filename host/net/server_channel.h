#pragma once

#include "host/net/change_watch.h"
#include "host/net/endpoints.h"
#include "host/net/held_replies.h"
#include "host/net/net_connection.h"
#include "host/net/prefetcher.h"
#include "host/net/reply_memo.h"
#include "proto/appserver.grpc.pb.h"

#include <grpcpp/channel.h>
#include <grpcpp/generic/generic_stub.h>
#include <grpcpp/support/byte_buffer.h>
#include <grpcpp/support/status.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace host {

// The channel to the server (or servers) of one connection and the
// service's one method, called for its reply's bytes: a reply that repeats
// the last one to the same request is not decoded again.
class ServerChannel
{
public:
    // Opens the channel and waits until it is connected, at most the
    // options' deadline. Throws platform::Error naming `address` when it
    // cannot.
    // `feedChanged` runs on the change feed's thread (see ChangeWatch).
    static std::unique_ptr<ServerChannel> open(const std::vector<Endpoint> &list,
                                               const QString &address,
                                               const ConnectionOptions &options,
                                               std::function<void()> feedChanged = {});
    ~ServerChannel();

    // Sends `request` and waits for its reply until `deadline`. Every
    // method of the remote data module only reads, so a call the transport
    // lost is sent again, on a fresh connection or to another server.
    grpc::Status call(const ate::appserver::v1::CallRequest &request,
                      std::chrono::system_clock::time_point deadline, grpc::ByteBuffer *received);

    ReplyMemo &memo() { return m_memo; }
    HeldReplies &held() { return m_held; }
    // Null when the connection does not follow the server's changes.
    Prefetcher *prefetcher() { return m_prefetcher.get(); }

private:
    ServerChannel() = default;

    // Starts a connection attempt when the channel is not connected and
    // waits briefly for it; true when the channel is (or looks) connected.
    // `retryFailed`: also when the channel is waiting out its backoff.
    bool awaitReconnection(std::chrono::system_clock::time_point deadline, bool retryFailed);
    grpc::Status callOnce(const ate::appserver::v1::CallRequest &request,
                          std::chrono::system_clock::time_point deadline,
                          grpc::ByteBuffer *received);

    std::vector<Endpoint> m_endpoints;
    QString m_address;
    std::shared_ptr<grpc::Channel> m_channel;
    std::unique_ptr<grpc::TemplatedGenericStub<ate::appserver::v1::CallRequest, grpc::ByteBuffer>>
        m_stub;
    ReplyMemo m_memo;
    std::string m_authorization; // metadata value, empty: none
    HeldReplies m_held;
    // Both end before what they use.
    std::unique_ptr<Prefetcher> m_prefetcher;
    std::unique_ptr<ChangeWatch> m_watch;
};

} // namespace host
