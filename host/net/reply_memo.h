#pragma once

#include "platform/data_packet.h"
#include "proto/appserver.pb.h"

#include <grpcpp/support/byte_buffer.h>

#include <cstddef>
#include <list>
#include <string>

namespace host {

// The last reply to each of a connection's recent requests, kept both as
// the bytes that came and as what they were decoded to: a refresh that
// receives the very same bytes again (a day nobody changed) is not decoded
// again. Bytes are compared whole, so a kept reply is never taken for a
// reply that differs in anything.
class ReplyMemo
{
public:
    struct Reply
    {
        ate::appserver::v1::CallReply message; // its packet taken out
        platform::DataPacket packet;
    };

    // The reply kept for `request` when `received` holds exactly the bytes
    // it was decoded from; null otherwise.
    const Reply *find(const std::string &request, const grpc::ByteBuffer &received);
    // The reply as kept; null, and `reply` left as it was, when it is too
    // large to keep.
    const Reply *keep(std::string request, std::string bytes, Reply &&reply);
    void clear();

    std::size_t size() const { return m_entries.size(); }
    std::size_t bytes() const { return m_bytes; }

    // A screen's refresh asks five distinct questions (the day, and the
    // forecast and services of two flights); a reply of more than a couple
    // of megabytes is not worth holding twice.
    static constexpr std::size_t kMaxEntries = 8;
    static constexpr std::size_t kMaxBytes = std::size_t(8) << 20;

private:
    struct Entry
    {
        std::string request;
        std::string bytes;
        Reply reply;
    };
    static std::size_t weight(const Entry &entry);

    std::list<Entry> m_entries; // most recently used first
    std::size_t m_bytes = 0;
};

// The bytes of a received message in one piece.
std::string flatten(const grpc::ByteBuffer &received);

} // namespace host
