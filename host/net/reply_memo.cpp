#include "host/net/reply_memo.h"

#include <grpcpp/support/slice.h>

#include <cstring>
#include <vector>

namespace host {
namespace {

bool sameBytes(const grpc::ByteBuffer &received, const std::string &kept)
{
    if (received.Length() != kept.size())
        return false;
    std::vector<grpc::Slice> slices;
    if (!received.Dump(&slices).ok())
        return false;
    std::size_t at = 0;
    for (const grpc::Slice &slice : slices) {
        if (slice.size() > kept.size() - at
            || std::memcmp(slice.begin(), kept.data() + at, slice.size()) != 0)
            return false;
        at += slice.size();
    }
    return at == kept.size();
}

} // namespace

std::size_t ReplyMemo::weight(const Entry &entry)
{
    // The decoded packet takes about as much again as its bytes.
    return entry.request.size() + 2 * entry.bytes.size();
}

const ReplyMemo::Reply *ReplyMemo::find(const std::string &request,
                                        const grpc::ByteBuffer &received)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->request != request)
            continue;
        if (!sameBytes(received, it->bytes))
            return nullptr;
        m_entries.splice(m_entries.begin(), m_entries, it);
        return &m_entries.front().reply;
    }
    return nullptr;
}

const ReplyMemo::Reply *ReplyMemo::keep(std::string request, std::string bytes, Reply &&reply)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->request == request) {
            m_bytes -= weight(*it);
            m_entries.erase(it);
            break;
        }
    }
    if (request.size() + 2 * bytes.size() > kMaxBytes / 4)
        return nullptr;
    m_entries.push_front(Entry{std::move(request), std::move(bytes), std::move(reply)});
    m_bytes += weight(m_entries.front());
    while (m_entries.size() > kMaxEntries || m_bytes > kMaxBytes) {
        m_bytes -= weight(m_entries.back());
        m_entries.pop_back();
    }
    return &m_entries.front().reply;
}

void ReplyMemo::clear()
{
    m_entries.clear();
    m_bytes = 0;
}

std::string flatten(const grpc::ByteBuffer &received)
{
    std::string bytes;
    std::vector<grpc::Slice> slices;
    if (!received.Dump(&slices).ok())
        return bytes;
    bytes.reserve(received.Length());
    for (const grpc::Slice &slice : slices)
        bytes.append(reinterpret_cast<const char *>(slice.begin()), slice.size());
    return bytes;
}

} // namespace host
