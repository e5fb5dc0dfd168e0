#pragma once

#include "proto/appserver.pb.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wire {

namespace pb = ate::appserver::v1;

// Read access to a received data packet. check() validates the packet's
// shape once (a malformed packet must never be read out of bounds); the
// accessors then index straight into the packed columns.
class PacketReader
{
public:
    // Cells: the accessors below may be used. ShapeOnly: the packet is only
    // checked (for a reader that takes the columns whole), so no per-row
    // index is built.
    enum class Access { Cells, ShapeOnly };
    explicit PacketReader(const pb::DataPacket &packet, Access access = Access::Cells);

    // Empty when the packet is consistent, otherwise what is wrong with it.
    const std::string &error() const { return m_error; }
    bool ok() const { return m_error.empty(); }

    int fieldCount() const { return m_packet.fields_size(); }
    const pb::FieldDef &field(int column) const { return m_packet.fields(column); }
    int fieldIndex(std::string_view name) const; // -1 when absent
    std::uint32_t rowCount() const { return m_packet.row_count(); }

    bool isNull(int column, std::uint32_t row) const;
    std::string_view text(int column, std::uint32_t row) const;
    double number(int column, std::uint32_t row) const;
    std::int64_t dateTime(int column, std::uint32_t row) const;
    std::int64_t integer(int column, std::uint32_t row) const;

private:
    bool check();

    const pb::DataPacket &m_packet;
    Access m_access;
    std::vector<std::vector<std::uint32_t>> m_textOffsets; // per column, rows+1 entries
    std::string m_error;
};

} // namespace wire
