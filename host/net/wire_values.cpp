#include "host/net/wire_values.h"

#include <QCoreApplication>

#include "wire/civil_datetime.h"
#include "wire/packet_reader.h"

#include <limits>
#include <string_view>
#include <type_traits>

namespace host {
namespace {

constexpr qint64 kMsecsPerDay = 86'400'000;

// The wire's zero (1899-12-30) in milliseconds since the Unix epoch.
const qint64 kZeroFromEpoch = wire::daysFromCivil(1899, 12, 30) * kMsecsPerDay;
// Years 1 to 9999, as on the wire's side.
const qint64 kFirstCivil = wire::daysFromCivil(1, 1, 1) * kMsecsPerDay - kZeroFromEpoch;
const qint64 kLastCivil = wire::daysFromCivil(10000, 1, 1) * kMsecsPerDay - kZeroFromEpoch - 1;

bool inCivilRange(qint64 msecs)
{
    return msecs >= kFirstCivil && msecs <= kLastCivil;
}

platform::FieldType fieldType(pb::FieldType type)
{
    switch (type) {
    case pb::FIELD_TYPE_FIXED_STRING:
        return platform::FieldType::FixedString;
    case pb::FIELD_TYPE_FLOAT:
        return platform::FieldType::Float;
    case pb::FIELD_TYPE_DATE_TIME:
        return platform::FieldType::DateTime;
    case pb::FIELD_TYPE_INTEGER:
        return platform::FieldType::Integer;
    default: // the reader refuses any other type
        return platform::FieldType::String;
    }
}

// The wire's bytes are taken over when the packet is ours to spend, and
// copied otherwise.
std::string textOf(const pb::Column &column)
{
    return column.text();
}
std::string textOf(pb::Column &column)
{
    return std::move(*column.mutable_text());
}
std::string nullsOf(const pb::Column &column)
{
    return column.nulls();
}
std::string nullsOf(pb::Column &column)
{
    return std::move(*column.mutable_nulls());
}

// One column as the record set keeps it. The reader has checked the
// column's shape; a date-time outside the civil range is refused here.
template<typename Column>
std::optional<platform::PacketColumn> toColumn(platform::FieldType type, std::uint32_t rows,
                                               Column &column)
{
    const int rowCount = static_cast<int>(rows);
    switch (type) {
    case platform::FieldType::String:
    case platform::FieldType::FixedString:
        return platform::PacketColumn::texts(type, textOf(column), column.text_lengths().data(),
                                             rowCount, nullsOf(column));
    case platform::FieldType::Float:
        return platform::PacketColumn::numbers(
            std::vector<double>(column.numbers().begin(), column.numbers().end()), nullsOf(column));
    case platform::FieldType::DateTime: {
        std::vector<qint64> msecs(column.date_times().begin(), column.date_times().end());
        const std::string &nulls = column.nulls();
        for (std::size_t row = 0; row < msecs.size(); ++row) {
            const std::size_t byte = row / 8;
            const bool null = byte < nulls.size()
                              && ((static_cast<unsigned char>(nulls[byte]) >> (row % 8)) & 1u);
            if (null)
                msecs[row] = 0;
            else if (!inCivilRange(msecs[row]))
                return std::nullopt;
        }
        return platform::PacketColumn::integers(type, std::move(msecs), nullsOf(column));
    }
    case platform::FieldType::Integer:
        return platform::PacketColumn::integers(
            type, std::vector<qint64>(column.integers().begin(), column.integers().end()),
            nullsOf(column));
    }
    return std::nullopt;
}

} // namespace

QDateTime civilFromWire(qint64 msecs)
{
    if (!inCivilRange(msecs))
        return {};
    return QDateTime::fromMSecsSinceEpoch(msecs + kZeroFromEpoch, Qt::UTC);
}

std::optional<qint64> civilToWire(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return std::nullopt;
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    wire::CivilDateTime civil;
    civil.year = date.year();
    civil.month = date.month();
    civil.day = date.day();
    civil.hour = time.hour();
    civil.minute = time.minute();
    civil.second = time.second();
    civil.msec = time.msec();
    return wire::toMsecs(civil);
}

bool toWireValue(const QVariant &value, pb::Value *out)
{
    out->Clear();
    if (!value.isValid())
        return true;
    switch (value.typeId()) {
    case QMetaType::QString:
        out->set_text(value.toString().toStdString());
        return true;
    case QMetaType::Double:
    case QMetaType::Float:
        out->set_number(value.toDouble());
        return true;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        out->set_integer(value.toLongLong());
        return true;
    case QMetaType::Bool:
        out->set_boolean(value.toBool());
        return true;
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.typeId() == QMetaType::QDate
                                       ? QDateTime(value.toDate(), QTime(0, 0), Qt::UTC)
                                       : value.toDateTime();
        if (!dateTime.isValid()) // an empty date: null
            return true;
        const std::optional<qint64> msecs = civilToWire(dateTime);
        if (!msecs)
            return false;
        out->mutable_date_time()->set_msecs(*msecs);
        return true;
    }
    default:
        return false;
    }
}

QVariant fromWireValue(const pb::Value &value)
{
    switch (value.kind_case()) {
    case pb::Value::kText:
        return QString::fromStdString(value.text());
    case pb::Value::kNumber:
        return value.number();
    case pb::Value::kDateTime:
        return civilFromWire(value.date_time().msecs());
    case pb::Value::kInteger:
        return QVariant::fromValue(static_cast<qint64>(value.integer()));
    case pb::Value::kBoolean:
        return value.boolean();
    default:
        return {};
    }
}

namespace {

template<typename Packet>
std::optional<platform::DataPacket> convertPacket(Packet &&packet, QString *error)
{
    // The columns are taken whole below; the reader only checks their shape.
    const wire::PacketReader reader(packet, wire::PacketReader::Access::ShapeOnly);
    if (!reader.ok()) {
        *error = QString::fromStdString(reader.error());
        return std::nullopt;
    }
    if (reader.rowCount() > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
        *error = QCoreApplication::translate("TNetConnection", "pacote com linhas demais (%1)")
                     .arg(reader.rowCount());
        return std::nullopt;
    }

    platform::DataPacket out;
    out.rowCount = static_cast<int>(reader.rowCount());
    out.fields.reserve(reader.fieldCount());
    out.columns.reserve(static_cast<std::size_t>(reader.fieldCount()));
    for (int column = 0; column < reader.fieldCount(); ++column) {
        const pb::FieldDef &def = reader.field(column);
        const platform::FieldType type = fieldType(def.type());
        out.fields.append({QString::fromStdString(def.name()), type,
                           static_cast<int>(std::min<std::uint32_t>(
                               def.size(), std::numeric_limits<int>::max()))});
        // Spent column by column: the reader is not asked again about one taken.
        std::optional<platform::PacketColumn> values = [&] {
            if constexpr (std::is_const_v<std::remove_reference_t<Packet>>)
                return toColumn(type, reader.rowCount(), packet.columns(column));
            else
                return toColumn(type, reader.rowCount(), *packet.mutable_columns(column));
        }();
        if (!values) {
            *error = QCoreApplication::translate("TNetConnection",
                                                 "coluna %1 do pacote com data fora do intervalo")
                         .arg(out.fields.last().name);
            return std::nullopt;
        }
        out.columns.push_back(std::move(*values));
    }
    return out;
}

} // namespace

std::optional<platform::DataPacket> toDataPacket(const pb::DataPacket &packet, QString *error)
{
    return convertPacket(packet, error);
}

std::optional<platform::DataPacket> toDataPacket(pb::DataPacket &&packet, QString *error)
{
    return convertPacket(std::move(packet), error);
}

} // namespace host
