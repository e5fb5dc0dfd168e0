#pragma once

#include "host/net/server_reply.h"
#include "platform/data_packet.h"

namespace host {

// Checks a server reply and hands over its data packet. A failed reply
// throws platform::Error with the reply's message when `raise` is true;
// otherwise it gives an empty packet. The third argument is kept for the
// callers' sake and has no effect.
platform::DataPacket CheckResultServ(const ServerReply &reply, bool raise, int);
platform::DataPacket CheckResultServ(ServerReply &&reply, bool raise, int);

} // namespace host
