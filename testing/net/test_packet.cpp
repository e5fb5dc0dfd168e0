#include "testing/net/test_packet.h"

#include "host/net/wire_values.h"
#include "wire/packet_builder.h"

#include <stdexcept>

namespace host::testing {
namespace {

namespace pb = ate::appserver::v1;

pb::FieldType wireType(platform::FieldType type)
{
    switch (type) {
    case platform::FieldType::String:
        return pb::FIELD_TYPE_STRING;
    case platform::FieldType::FixedString:
        return pb::FIELD_TYPE_FIXED_STRING;
    case platform::FieldType::Float:
        return pb::FIELD_TYPE_FLOAT;
    case platform::FieldType::DateTime:
        return pb::FIELD_TYPE_DATE_TIME;
    case platform::FieldType::Integer:
        return pb::FIELD_TYPE_INTEGER;
    }
    return pb::FIELD_TYPE_UNSPECIFIED;
}

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return true;
    default:
        return false;
    }
}

bool isInteger(const QVariant &value)
{
    return isNumber(value) && value.typeId() != QMetaType::Double
           && value.typeId() != QMetaType::Float;
}

bool fits(platform::FieldType type, const QVariant &value)
{
    if (!value.isValid())
        return true;
    switch (type) {
    case platform::FieldType::String:
    case platform::FieldType::FixedString:
        return value.typeId() == QMetaType::QString;
    case platform::FieldType::Float:
        return isNumber(value);
    case platform::FieldType::DateTime:
        return value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate;
    case platform::FieldType::Integer:
        return isInteger(value);
    }
    return false;
}

} // namespace

TestPacket &TestPacket::field(const QString &name, platform::FieldType type, int size)
{
    if (!m_rows.isEmpty())
        throw std::invalid_argument("TestPacket: fields go before the rows");
    m_fields.append({name, type, size});
    return *this;
}

TestPacket &TestPacket::row(const QVariantList &values)
{
    if (values.size() != m_fields.size())
        throw std::invalid_argument("TestPacket: a row needs one value per field");
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (!fits(m_fields[i].type, values[i]))
            throw std::invalid_argument("TestPacket: value of the wrong type for field "
                                        + m_fields[i].name.toStdString());
    }
    m_rows.append(values);
    return *this;
}

pb::DataPacket TestPacket::toWire() const
{
    pb::DataPacket packet;
    wire::PacketBuilder builder(&packet);
    for (const platform::PacketField &f : m_fields)
        builder.addField(f.name.toStdString(), wireType(f.type),
                         static_cast<std::uint32_t>(f.size));
    for (const QVariantList &values : m_rows) {
        for (int c = 0; c < values.size(); ++c) {
            const QVariant &v = values[c];
            if (!v.isValid()) {
                builder.appendNull(c);
                continue;
            }
            switch (m_fields[c].type) {
            case platform::FieldType::String:
            case platform::FieldType::FixedString:
                builder.appendText(c, v.toString().toStdString());
                break;
            case platform::FieldType::Float:
                builder.appendNumber(c, v.toDouble());
                break;
            case platform::FieldType::DateTime: {
                pb::Value value;
                if (!toWireValue(v, &value) || !value.has_date_time())
                    throw std::invalid_argument("TestPacket: date-time out of range in field "
                                                + m_fields[c].name.toStdString());
                builder.appendDateTime(c, value.date_time().msecs());
                break;
            }
            case platform::FieldType::Integer:
                builder.appendInteger(c, v.toLongLong());
                break;
            }
        }
        builder.endRow();
    }
    return packet;
}

} // namespace host::testing
