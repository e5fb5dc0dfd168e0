#pragma once

#include "host/net/held_replies.h"
#include "host/net/reply_memo.h"
#include "host/net/server_arg.h"
#include "host/net/server_reply.h"
#include "proto/appserver.pb.h"

#include <grpcpp/support/byte_buffer.h>
#include <grpcpp/support/status.h>

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace host {

// The request of a call of `module`.`method`; nullopt, with `failed` the
// reply to show, when an argument holds a value that cannot be sent.
std::optional<ate::appserver::v1::CallRequest> encodeCall(const QString &module,
                                                          const QString &method,
                                                          const std::vector<ServerArg> &arguments,
                                                          ServerReply *failed);

// The path of the server's one method, for the generic stubs.
const std::string &callMethodPath();

// The user's reason for a call that the transport failed.
QString transportReason(const grpc::Status &status);

// The reply that came to `request`: its packet, or the server's refusal,
// or why it is invalid. The values by reference are written back to the
// caller's arguments only when every one of them fits. `memo` spares the
// decoding of a reply that repeats the last one. `address` names the
// server in messages. `tag`, when given, gets what the change feed says of
// a successful reply.
ServerReply decodeReply(const ate::appserver::v1::CallRequest &request, const QString &method,
                        const std::vector<ServerArg> &arguments, const grpc::ByteBuffer &received,
                        ReplyMemo &memo, const QString &address, FeedTag *tag = nullptr);

// The packet of a plain successful reply (no values by reference) and what
// the change feed says of it, in `tag`; nullopt for anything else. For the
// replies read ahead, which nobody waits on.
std::optional<platform::DataPacket> decodePacket(const grpc::ByteBuffer &received, FeedTag *tag);

} // namespace host
