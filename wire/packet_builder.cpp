#include "wire/packet_builder.h"

namespace wire {

PacketBuilder::PacketBuilder(pb::DataPacket *packet)
    : m_packet(packet)
{
    m_packet->Clear();
}

int PacketBuilder::addField(std::string_view name, pb::FieldType type, std::uint32_t size)
{
    pb::FieldDef *def = m_packet->add_fields();
    def->set_name(std::string(name));
    def->set_type(type);
    def->set_size(size);
    m_types.push_back(type);
    pb::Column *column = m_packet->add_columns();
    m_columns.push_back(column);
    const bool text = type == pb::FIELD_TYPE_STRING || type == pb::FIELD_TYPE_FIXED_STRING;
    m_texts.push_back(text ? column->mutable_text() : nullptr);
    m_lengths.push_back(text ? column->mutable_text_lengths() : nullptr);
    return static_cast<int>(m_types.size()) - 1;
}

void PacketBuilder::appendText(int column, std::string_view value)
{
    m_texts[column]->append(value.data(), value.size());
    m_lengths[column]->Add(static_cast<std::uint32_t>(value.size()));
}

void PacketBuilder::appendNumber(int column, double value)
{
    m_columns[column]->add_numbers(value);
}

void PacketBuilder::appendDateTime(int column, std::int64_t msecs)
{
    m_columns[column]->add_date_times(msecs);
}

void PacketBuilder::appendInteger(int column, std::int64_t value)
{
    m_columns[column]->add_integers(value);
}

void PacketBuilder::appendNull(int column)
{
    markNull(column);
    switch (m_types[column]) {
    case pb::FIELD_TYPE_STRING:
    case pb::FIELD_TYPE_FIXED_STRING:
        m_columns[column]->add_text_lengths(0);
        break;
    case pb::FIELD_TYPE_FLOAT:
        m_columns[column]->add_numbers(0.0);
        break;
    case pb::FIELD_TYPE_DATE_TIME:
        m_columns[column]->add_date_times(0);
        break;
    case pb::FIELD_TYPE_INTEGER:
        m_columns[column]->add_integers(0);
        break;
    default:
        break;
    }
}

void PacketBuilder::markNull(int column)
{
    std::string *nulls = m_columns[column]->mutable_nulls();
    const std::size_t byte = m_rows / 8;
    if (nulls->size() <= byte)
        nulls->resize(byte + 1, '\0');
    (*nulls)[byte] =
        static_cast<char>(static_cast<unsigned char>((*nulls)[byte]) | (1u << (m_rows % 8)));
}

void PacketBuilder::endRow()
{
    ++m_rows;
    m_packet->set_row_count(m_rows);
}

} // namespace wire
