#include "server/reply/outgoing_reply.h"

#include <google/protobuf/io/coded_stream.h>

namespace appserver {

void appendVarint(std::string &out, std::uint64_t value)
{
    std::uint8_t bytes[10]; // the longest varint
    const std::uint8_t *end =
        google::protobuf::io::CodedOutputStream::WriteVarint64ToArray(value, bytes);
    out.append(reinterpret_cast<const char *>(bytes), static_cast<std::size_t>(end - bytes));
}

namespace {

// CallReply's `packet`: field 2, length-delimited.
constexpr char kPacketTag = (2 << 3) | 2;

// Keeps the shared bytes alive for as long as gRPC holds the slice.
void releaseShared(void *held)
{
    delete static_cast<std::shared_ptr<const std::string> *>(held);
}

} // namespace

pb::DataPacket *ReplyPacket::message()
{
    m_bytes.reset();
    return &m_message;
}

const std::shared_ptr<const std::string> &ReplyPacket::bytes()
{
    if (!m_bytes) {
        auto serialised = std::make_shared<std::string>();
        m_message.SerializeToString(serialised.get());
        m_bytes = std::move(serialised);
        pb::DataPacket().Swap(&m_message);
    }
    return m_bytes;
}

void ReplyPacket::setBytes(std::shared_ptr<const std::string> bytes)
{
    m_message.Clear();
    m_bytes = std::move(bytes);
}

void ReplyPacket::clear()
{
    pb::DataPacket().Swap(&m_message);
    m_bytes.reset();
}

void OutgoingReply::fail(const std::string &message)
{
    m_packet.clear();
    m_rest.mutable_failure()->set_message(message);
}

void OutgoingReply::setFeed(std::uint64_t generation, const std::string &instance,
                            std::vector<std::string> scopes)
{
    m_rest.set_generation(generation);
    m_rest.set_instance(instance);
    m_rest.clear_scopes();
    for (std::string &scope : scopes)
        m_rest.add_scopes(std::move(scope));
}

std::string OutgoingReply::packetHeader()
{
    std::string header;
    if (failed())
        return header;
    header += kPacketTag;
    appendVarint(header, m_packet.bytes()->size());
    return header;
}

std::size_t OutgoingReply::byteSize()
{
    const std::size_t packet = failed() ? 0 : packetHeader().size() + m_packet.bytes()->size();
    return packet + m_rest.ByteSizeLong();
}

std::string OutgoingReply::serialise()
{
    std::string out = packetHeader();
    if (!failed())
        out += *m_packet.bytes();
    m_rest.AppendToString(&out);
    return out;
}

grpc::ByteBuffer OutgoingReply::toByteBuffer()
{
    std::string head = packetHeader();
    const std::string rest = m_rest.SerializeAsString();
    grpc::Slice slices[3];
    std::size_t count = 0;
    if (!head.empty())
        slices[count++] = grpc::Slice(head);
    if (!failed() && !m_packet.bytes()->empty()) {
        const std::shared_ptr<const std::string> &bytes = m_packet.bytes();
        slices[count++] = grpc::Slice(const_cast<char *>(bytes->data()), bytes->size(),
                                      releaseShared, new std::shared_ptr<const std::string>(bytes));
    }
    if (!rest.empty())
        slices[count++] = grpc::Slice(rest);
    return grpc::ByteBuffer(slices, count);
}

namespace {

// "654 bytes", "12 KB", "81 MB" (rounded up, so a size above a limit never
// reads as the limit).
std::string sizeText(std::size_t bytes)
{
    if (bytes < 1024)
        return std::to_string(bytes) + " bytes";
    if (bytes < (1u << 20))
        return std::to_string((bytes + 1023) / 1024) + " KB";
    return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

} // namespace

Error replyTooLarge(std::string_view method, std::size_t bytes, std::size_t limit)
{
    return Error{"A resposta de " + std::string(method) + " tem " + sizeText(bytes)
                     + ", acima do limite de " + sizeText(limit)
                     + " do servidor de aplicação; consulte menos dados de uma vez.",
                 "reply of " + std::to_string(bytes) + " bytes"};
}

} // namespace appserver
