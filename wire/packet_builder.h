#pragma once

#include "proto/appserver.pb.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace wire {

namespace pb = ate::appserver::v1;

// Builds a data packet column by column while rows are read from a database
// statement: declare the fields, then for each row append one value per
// field, in field order, and call endRow().
class PacketBuilder
{
public:
    explicit PacketBuilder(pb::DataPacket *packet);

    int addField(std::string_view name, pb::FieldType type, std::uint32_t size = 0);
    int fieldCount() const { return static_cast<int>(m_types.size()); }
    pb::FieldType fieldType(int column) const { return m_types[column]; }

    void appendText(int column, std::string_view value);
    void appendNumber(int column, double value);
    void appendDateTime(int column, std::int64_t msecs);
    void appendInteger(int column, std::int64_t value);
    void appendNull(int column);

    void endRow();
    std::uint32_t rowCount() const { return m_rows; }

private:
    void markNull(int column);

    pb::DataPacket *m_packet;
    std::vector<pb::FieldType> m_types;
    std::vector<pb::Column *> m_columns;
    // Each text column's bytes and lengths, looked up once rather than per
    // cell (null for other types).
    std::vector<std::string *> m_texts;
    std::vector<google::protobuf::RepeatedField<std::uint32_t> *> m_lengths;
    std::uint32_t m_rows = 0;
};

} // namespace wire
