#pragma once

#include "platform/data_packet.h"

#include <QString>

#include <utility>

namespace host {

// What a late-bound server call gives back: the data packet, or why there
// is none. Transport and decoding problems arrive as failures too, so the
// caller has one path to check (CheckResultServ).
struct ServerReply
{
    enum class Status {
        Ok,
        ServerFailure,    // the server ran the method and refused
        TransportFailure, // the server could not be reached or did not answer in time
        InvalidReply,     // the server's answer does not hold together
        InvalidArgument,  // an argument the wire cannot carry; nothing was sent
    };

    Status status = Status::Ok;
    QString message;             // for the user, in Portuguese; empty when ok
    platform::DataPacket packet; // the rows; empty unless ok
    // Served from what the connection held, vouched for by the server's
    // change feed, without a call.
    bool held = false;

    bool ok() const { return status == Status::Ok; }

    static ServerReply success(platform::DataPacket packet)
    {
        ServerReply reply;
        reply.packet = std::move(packet);
        return reply;
    }

    static ServerReply failure(Status status, QString message)
    {
        ServerReply reply;
        reply.status = status;
        reply.message = std::move(message);
        return reply;
    }
};

} // namespace host
