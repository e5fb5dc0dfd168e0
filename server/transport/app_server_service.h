#pragma once

#include "proto/appserver.grpc.pb.h"

namespace appserver {

// The generated service with Call raw (a reply goes out as its wire bytes
// rather than as a message gRPC would serialise, so a packet serialised
// once, or kept by the reply cache, goes out as it is) and WatchChanges
// asynchronous: an idle host's stream costs no thread.
using AppServerService = ate::appserver::v1::AppServer::WithAsyncMethod_WatchChanges<
    ate::appserver::v1::AppServer::WithRawMethod_Call<ate::appserver::v1::AppServer::Service>>;

// What a completion queue hands back: a call, one of a change stream's
// operations, or a queue's wake-up or tick.
struct QueueTag
{
    enum class Kind { Call, Watch, Wake, Tick };
    explicit QueueTag(Kind kind)
        : kind(kind)
    {
    }
    virtual ~QueueTag() = default;
    const Kind kind;
};

} // namespace appserver
