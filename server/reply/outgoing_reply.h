#pragma once

#include "server/common/result.h"
#include "server/reply/arguments.h"

#include <grpcpp/support/byte_buffer.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace appserver {

// The packet of one reply: a query builds it as a message, and it goes out
// as the bytes it was serialised to, once. A reply cache hit brings the
// bytes kept from the call that read them, shared rather than copied, so a
// repeated day costs no pass over its values.
class ReplyPacket
{
public:
    // The message a query fills (empty at first); drops any bytes held.
    pb::DataPacket *message();

    // The serialised packet: made from the message the first time, which
    // then gives back its memory (a large day is held once, not twice).
    const std::shared_ptr<const std::string> &bytes();
    void setBytes(std::shared_ptr<const std::string> bytes);

    void clear();

private:
    pb::DataPacket m_message;
    std::shared_ptr<const std::string> m_bytes;
};

// The refusal of a reply of `bytes` to `method`, above the server's
// `limit`: the user is told to ask for less at once.
Error replyTooLarge(std::string_view method, std::size_t bytes, std::size_t limit);

// One call's reply as the server sends it: byte for byte a CallReply, with
// the packet spliced in as its serialised bytes (a length-delimited field
// reads the same whether it was written as bytes or as a message).
class OutgoingReply
{
public:
    // The packet of a successful call.
    ReplyPacket &packet() { return m_packet; }
    // Replaces the packet by a failure for the user.
    void fail(const std::string &message);
    bool failed() const { return m_rest.has_failure(); }
    pb::Value *addByReference() { return m_rest.add_by_reference(); }
    // The change feed's word on a successful reply: what it read, and the
    // generation it is at least as new as.
    void setFeed(std::uint64_t generation, const std::string &instance,
                 std::vector<std::string> scopes);

    // What goes on the wire: the packet's bytes are referred to, not copied.
    grpc::ByteBuffer toByteBuffer();
    std::string serialise();
    // The size of either, without another pass over the packet.
    std::size_t byteSize();

private:
    // The field's tag and length, written before the packet's bytes.
    std::string packetHeader();

    ReplyPacket m_packet;
    // The failure and the by-reference values; never a packet.
    pb::CallReply m_rest;
};

// Appends a protobuf varint (a length or a tag's number).
void appendVarint(std::string &out, std::uint64_t value);

} // namespace appserver
