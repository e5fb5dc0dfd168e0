#include "wire/packet_reader.h"

namespace wire {

PacketReader::PacketReader(const pb::DataPacket &packet, Access access)
    : m_packet(packet)
    , m_access(access)
{
    if (!check())
        m_textOffsets.clear();
}

bool PacketReader::check()
{
    const std::uint32_t rows = m_packet.row_count();
    if (m_packet.columns_size() != m_packet.fields_size()) {
        m_error = "pacote com " + std::to_string(m_packet.fields_size()) + " campos e "
                  + std::to_string(m_packet.columns_size()) + " colunas";
        return false;
    }
    if (m_access == Access::Cells)
        m_textOffsets.resize(static_cast<std::size_t>(m_packet.fields_size()));
    for (int i = 0; i < m_packet.fields_size(); ++i) {
        const pb::FieldDef &def = m_packet.fields(i);
        const pb::Column &col = m_packet.columns(i);
        const auto bad = [&](const char *what) {
            m_error = "coluna " + def.name() + " do pacote inconsistente (" + what + ")";
            return false;
        };
        if (col.nulls().size() > (rows + 7) / 8)
            return bad("máscara de nulos");
        switch (def.type()) {
        case pb::FIELD_TYPE_STRING:
        case pb::FIELD_TYPE_FIXED_STRING: {
            if (static_cast<std::uint32_t>(col.text_lengths_size()) != rows)
                return bad("comprimentos");
            std::uint64_t pos = 0;
            if (m_access == Access::ShapeOnly) {
                // 64-bit sum of 32-bit lengths: cannot wrap.
                for (const std::uint32_t length : col.text_lengths())
                    pos += length;
                if (pos != col.text().size())
                    return bad("texto");
                break;
            }
            std::vector<std::uint32_t> &offsets = m_textOffsets[static_cast<std::size_t>(i)];
            offsets.resize(rows + 1);
            for (std::uint32_t r = 0; r < rows; ++r) {
                offsets[r] = static_cast<std::uint32_t>(pos);
                pos += col.text_lengths(static_cast<int>(r));
                if (pos > col.text().size())
                    return bad("texto");
            }
            if (pos != col.text().size())
                return bad("texto");
            offsets[rows] = static_cast<std::uint32_t>(pos);
            break;
        }
        case pb::FIELD_TYPE_FLOAT:
            if (static_cast<std::uint32_t>(col.numbers_size()) != rows)
                return bad("números");
            break;
        case pb::FIELD_TYPE_DATE_TIME:
            if (static_cast<std::uint32_t>(col.date_times_size()) != rows)
                return bad("datas");
            break;
        case pb::FIELD_TYPE_INTEGER:
            if (static_cast<std::uint32_t>(col.integers_size()) != rows)
                return bad("inteiros");
            break;
        default:
            return bad("tipo desconhecido");
        }
    }
    return true;
}

int PacketReader::fieldIndex(std::string_view name) const
{
    for (int i = 0; i < m_packet.fields_size(); ++i) {
        if (m_packet.fields(i).name() == name)
            return i;
    }
    return -1;
}

bool PacketReader::isNull(int column, std::uint32_t row) const
{
    const std::string &nulls = m_packet.columns(column).nulls();
    const std::size_t byte = row / 8;
    if (byte >= nulls.size())
        return false;
    return (static_cast<unsigned char>(nulls[byte]) >> (row % 8)) & 1u;
}

std::string_view PacketReader::text(int column, std::uint32_t row) const
{
    const std::vector<std::uint32_t> &offsets = m_textOffsets[static_cast<std::size_t>(column)];
    const std::string &text = m_packet.columns(column).text();
    return std::string_view(text).substr(offsets[row], offsets[row + 1] - offsets[row]);
}

double PacketReader::number(int column, std::uint32_t row) const
{
    return m_packet.columns(column).numbers(static_cast<int>(row));
}

std::int64_t PacketReader::dateTime(int column, std::uint32_t row) const
{
    return m_packet.columns(column).date_times(static_cast<int>(row));
}

std::int64_t PacketReader::integer(int column, std::uint32_t row) const
{
    return m_packet.columns(column).integers(static_cast<int>(row));
}

} // namespace wire
