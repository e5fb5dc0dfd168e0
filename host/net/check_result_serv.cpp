#include "host/net/check_result_serv.h"

#include "platform/abort.h"

namespace host {

platform::DataPacket CheckResultServ(const ServerReply &reply, bool raise, int)
{
    if (reply.ok())
        return reply.packet;
    if (raise)
        throw platform::Error(reply.message);
    return {};
}

platform::DataPacket CheckResultServ(ServerReply &&reply, bool raise, int)
{
    if (reply.ok())
        return std::move(reply.packet);
    if (raise)
        throw platform::Error(reply.message);
    return {};
}

} // namespace host
