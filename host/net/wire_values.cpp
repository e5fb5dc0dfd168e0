#include "wire_values.h"

#include "civil_datetime.h"
#include "packet_reader.h"

#include <limits>
#include <string_view>
#include <unordered_map>

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

// Screens repeat the same few texts down a column (airline, branch, leg,
// situation): a value already seen in the column shares that string instead
// of decoding and allocating again. Long or too many distinct values are
// decoded as they come.
void readTextColumn(const wire::PacketReader &reader, int column, std::vector<QVariant> &values)
{
    constexpr std::size_t kMaxShared = 256;
    constexpr std::size_t kMaxSharedLength = 64;
    std::unordered_map<std::string_view, QString> seen;
    std::string_view previousBytes;
    QString previous;
    bool havePrevious = false;
    for (std::uint32_t row = 0; row < reader.rowCount(); ++row) {
        if (reader.isNull(column, row)) {
            values.emplace_back();
            continue;
        }
        const std::string_view bytes = reader.text(column, row);
        if (!havePrevious || bytes != previousBytes) {
            const auto found = bytes.size() <= kMaxSharedLength ? seen.find(bytes) : seen.end();
            if (found != seen.end()) {
                previous = found->second;
            } else {
                previous = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
                if (bytes.size() <= kMaxSharedLength && seen.size() < kMaxShared)
                    seen.emplace(bytes, previous);
            }
            previousBytes = bytes;
            havePrevious = true;
        }
        values.emplace_back(previous);
    }
}

template<typename Read>
void readColumn(const wire::PacketReader &reader, int column, std::vector<QVariant> &values, Read read)
{
    for (std::uint32_t row = 0; row < reader.rowCount(); ++row) {
        if (reader.isNull(column, row))
            values.emplace_back();
        else
            values.emplace_back(read(row));
    }
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

std::optional<platform::DataPacket> toDataPacket(const pb::DataPacket &packet, QString *error)
{
    const wire::PacketReader reader(packet);
    if (!reader.ok()) {
        *error = QString::fromStdString(reader.error());
        return std::nullopt;
    }
    if (reader.rowCount() > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
        *error = QStringLiteral("pacote com linhas demais (%1)").arg(reader.rowCount());
        return std::nullopt;
    }

    platform::DataPacket out;
    out.rowCount = static_cast<int>(reader.rowCount());
    out.fields.reserve(reader.fieldCount());
    out.columns.resize(static_cast<std::size_t>(reader.fieldCount()));
    for (int column = 0; column < reader.fieldCount(); ++column) {
        const pb::FieldDef &def = reader.field(column);
        const platform::FieldType type = fieldType(def.type());
        out.fields.append({QString::fromStdString(def.name()), type,
                           static_cast<int>(std::min<std::uint32_t>(def.size(), std::numeric_limits<int>::max()))});
        std::vector<QVariant> &values = out.columns[static_cast<std::size_t>(column)];
        values.reserve(reader.rowCount());
        switch (type) {
        case platform::FieldType::String:
        case platform::FieldType::FixedString:
            readTextColumn(reader, column, values);
            break;
        case platform::FieldType::Float:
            readColumn(reader, column, values, [&](std::uint32_t row) { return reader.number(column, row); });
            break;
        case platform::FieldType::DateTime: {
            bool inRange = true;
            readColumn(reader, column, values, [&](std::uint32_t row) {
                QDateTime value = civilFromWire(reader.dateTime(column, row));
                inRange = inRange && value.isValid();
                return value;
            });
            if (!inRange) {
                *error = QStringLiteral("coluna %1 do pacote com data fora do intervalo").arg(out.fields.last().name);
                return std::nullopt;
            }
            break;
        }
        case platform::FieldType::Integer:
            readColumn(reader, column, values,
                       [&](std::uint32_t row) { return static_cast<qint64>(reader.integer(column, row)); });
            break;
        }
    }
    return out;
}

} // namespace host
