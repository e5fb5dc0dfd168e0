#include "platform/data_packet.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace platform {
namespace {

constexpr qint64 kMsecsPerDay = 86'400'000;

// The zero date-time in milliseconds since the Unix epoch.
const qint64 kZeroFromEpoch = zeroDateTime().toMSecsSinceEpoch();
const qint64 kZeroJulianDay = QDate(1899, 12, 30).toJulianDay();

} // namespace

qint64 civilMsecs(const QDateTime &dateTime)
{
    return (dateTime.date().toJulianDay() - kZeroJulianDay) * kMsecsPerDay
           + dateTime.time().msecsSinceStartOfDay();
}

QDateTime civilFromMsecs(qint64 msecs)
{
    return QDateTime::fromMSecsSinceEpoch(msecs + kZeroFromEpoch, Qt::UTC);
}

PacketColumn::PacketColumn(FieldType type)
    : m_type(type)
    , m_values(std::make_shared<Values>())
{
}

void PacketColumn::detach()
{
    if (m_values.use_count() > 1)
        m_values = std::make_shared<Values>(*m_values);
}

PacketColumn PacketColumn::texts(FieldType type, std::string utf8, const std::uint32_t *lengths,
                                 int rowCount, std::string nulls)
{
    PacketColumn column(type);
    column.m_values->text = std::move(utf8);
    column.m_values->nulls = std::move(nulls);
    column.m_rows = std::max(rowCount, 0);
    column.m_values->offsets.clear();
    column.m_values->offsets.reserve(std::size_t(column.m_rows) + 1);
    std::uint64_t end = 0;
    std::uint32_t longest = 0;
    for (int row = 0; row < column.m_rows; ++row) {
        column.m_values->offsets.push_back(std::uint32_t(end));
        end += lengths[row];
        longest = std::max(longest, lengths[row]);
        if (end > column.m_values->text.size())
            break;
    }
    if (end != column.m_values->text.size() || !column.holdsText()) {
        // Nothing of it can be trusted.
        column.m_values->text.clear();
        column.m_values->offsets.assign(std::size_t(column.m_rows) + 1, 0);
        column.m_invalidRow = 0;
        return column;
    }
    column.m_values->offsets.push_back(std::uint32_t(end));
    column.m_longestText = int(std::min<std::uint32_t>(longest, std::numeric_limits<int>::max()));
    return column;
}

PacketColumn PacketColumn::numbers(std::vector<double> values, std::string nulls)
{
    PacketColumn column(FieldType::Float);
    column.m_rows = int(std::min<std::size_t>(values.size(), std::numeric_limits<int>::max()));
    column.m_values->numbers = std::move(values);
    column.m_values->nulls = std::move(nulls);
    return column;
}

PacketColumn PacketColumn::integers(FieldType type, std::vector<qint64> values, std::string nulls)
{
    PacketColumn column(type);
    column.m_rows = int(std::min<std::size_t>(values.size(), std::numeric_limits<int>::max()));
    column.m_values->integers = std::move(values);
    column.m_values->nulls = std::move(nulls);
    if (type != FieldType::Integer && type != FieldType::DateTime) {
        column.m_values->integers.assign(std::size_t(column.m_rows), 0);
        column.m_invalidRow = 0;
    }
    return column;
}

QString PacketColumn::text(int row) const
{
    const std::string_view bytes = utf8(row);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

double PacketColumn::number(int row) const
{
    return m_type == FieldType::Float ? m_values->numbers[row] : double(m_values->integers[row]);
}

qint64 PacketColumn::integer(int row) const
{
    return m_type == FieldType::Float ? qint64(m_values->numbers[row]) : m_values->integers[row];
}

QVariant PacketColumn::value(int row) const
{
    if (isNull(row))
        return {};
    switch (m_type) {
    case FieldType::String:
    case FieldType::FixedString:
        return text(row);
    case FieldType::Float:
        return m_values->numbers[row];
    case FieldType::DateTime:
        return dateTime(row);
    case FieldType::Integer:
        return QVariant::fromValue(m_values->integers[row]);
    }
    return {};
}

bool PacketColumn::sameValue(const PacketColumn &other, int row) const
{
    const bool null = isNull(row);
    if (null != other.isNull(row))
        return false;
    if (null)
        return true;
    switch (m_type) {
    case FieldType::String:
    case FieldType::FixedString:
        return utf8(row) == other.utf8(row);
    case FieldType::Float:
        // Bit for bit: a value that only compares equal (0.0 and -0.0) may
        // still be shown otherwise.
        return std::memcmp(&m_values->numbers[row], &other.m_values->numbers[row], sizeof(double))
               == 0;
    case FieldType::DateTime:
    case FieldType::Integer:
        return m_values->integers[row] == other.m_values->integers[row];
    }
    return false;
}

bool PacketColumn::sameValues(const PacketColumn &other) const
{
    if (m_type != other.m_type || m_rows != other.m_rows)
        return false;
    if (m_values == other.m_values)
        return true;
    const Values &mine = *m_values;
    const Values &theirs = *other.m_values;
    const bool sameStorage = mine.nulls == theirs.nulls && mine.text == theirs.text
                             && mine.offsets == theirs.offsets && mine.integers == theirs.integers
                             && mine.numbers.size() == theirs.numbers.size()
                             && (mine.numbers.empty()
                                 || std::memcmp(mine.numbers.data(), theirs.numbers.data(),
                                                mine.numbers.size() * sizeof(double))
                                        == 0);
    if (sameStorage)
        return true;
    for (int row = 0; row < m_rows; ++row) {
        if (!sameValue(other, row))
            return false;
    }
    return true;
}

bool sameShape(const std::vector<PacketColumn> &before, const std::vector<PacketColumn> &after)
{
    if (before.size() != after.size())
        return false;
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i].type() != after[i].type() || before[i].size() != after[i].size())
            return false;
    }
    return true;
}

std::pair<int, int> differingRows(const std::vector<PacketColumn> &before,
                                  const std::vector<PacketColumn> &after)
{
    int first = -1;
    int last = -1;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const PacketColumn &now = before[i];
        const PacketColumn &next = after[i];
        if (next.sameValues(now))
            continue;
        // Some row differs, so both scans stop inside the column.
        int top = 0;
        while (next.sameValue(now, top))
            ++top;
        int bottom = now.size() - 1;
        while (next.sameValue(now, bottom))
            --bottom;
        first = first < 0 ? top : std::min(first, top);
        last = std::max(last, bottom);
    }
    return {first, last};
}

void PacketColumn::setNull(int row)
{
    detach();
    const std::size_t byte = std::size_t(row) / 8;
    if (m_values->nulls.size() <= byte)
        m_values->nulls.resize(byte + 1, '\0');
    m_values->nulls[byte] =
        char(static_cast<unsigned char>(m_values->nulls[byte]) | (1u << (row % 8)));
}

void PacketColumn::appendUtf8(std::string_view bytes)
{
    detach();
    m_values->text.append(bytes);
    m_values->offsets.push_back(std::uint32_t(m_values->text.size()));
    m_longestText = std::max(m_longestText, int(bytes.size()));
}

void PacketColumn::appendNull()
{
    detach();
    setNull(m_rows);
    switch (m_type) {
    case FieldType::String:
    case FieldType::FixedString:
        appendUtf8({});
        break;
    case FieldType::Float:
        m_values->numbers.push_back(0.0);
        break;
    case FieldType::DateTime:
    case FieldType::Integer:
        m_values->integers.push_back(0);
        break;
    }
    ++m_rows;
}

void PacketColumn::append(const QVariant &value)
{
    detach();
    if (value.isNull()) {
        appendNull();
        return;
    }
    const int typeId = value.typeId();
    switch (m_type) {
    case FieldType::String:
    case FieldType::FixedString:
        if (typeId == QMetaType::QString) {
            const QByteArray bytes = value.toString().toUtf8();
            appendUtf8(std::string_view(bytes.constData(), std::size_t(bytes.size())));
            ++m_rows;
            return;
        }
        break;
    case FieldType::Float:
        if (typeId == QMetaType::Double) {
            m_values->numbers.push_back(value.toDouble());
            ++m_rows;
            return;
        }
        break;
    case FieldType::DateTime:
        if (typeId == QMetaType::QDateTime) {
            // An empty date-time is no date: null, as on the wire.
            const QDateTime dateTime = value.toDateTime();
            if (!dateTime.isValid()) {
                appendNull();
                return;
            }
            m_values->integers.push_back(civilMsecs(dateTime));
            ++m_rows;
            return;
        }
        break;
    case FieldType::Integer:
        if (typeId == QMetaType::LongLong) {
            m_values->integers.push_back(value.toLongLong());
            ++m_rows;
            return;
        }
        break;
    }
    if (m_invalidRow < 0)
        m_invalidRow = m_rows;
    appendNull();
}

void PacketColumn::reserve(int rowCount)
{
    detach();
    switch (m_type) {
    case FieldType::String:
    case FieldType::FixedString:
        m_values->offsets.reserve(std::size_t(rowCount) + 1);
        break;
    case FieldType::Float:
        m_values->numbers.reserve(std::size_t(rowCount));
        break;
    case FieldType::DateTime:
    case FieldType::Integer:
        m_values->integers.reserve(std::size_t(rowCount));
        break;
    }
}

void PacketColumn::truncateTexts(int length)
{
    if (!holdsText() || m_longestText <= length)
        return;
    detach();
    std::string text;
    text.reserve(m_values->text.size());
    std::vector<std::uint32_t> offsets{0};
    offsets.reserve(m_values->offsets.size());
    int longest = 0;
    for (int row = 0; row < m_rows; ++row) {
        std::string_view bytes = utf8(row);
        QByteArray cut;
        // Bytes never number fewer than characters: only a longer value
        // needs decoding to count them.
        if (int(bytes.size()) > length) {
            const QString value = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
            if (value.size() > length) {
                cut = value.left(length).toUtf8();
                bytes = std::string_view(cut.constData(), std::size_t(cut.size()));
            }
        }
        text.append(bytes);
        offsets.push_back(std::uint32_t(text.size()));
        longest = std::max(longest, int(bytes.size()));
    }
    m_values->text = std::move(text);
    m_values->offsets = std::move(offsets);
    m_longestText = longest;
}

void DataPacket::appendRow(const QVariantList &values)
{
    if (columns.empty()) {
        columns.reserve(std::size_t(fields.size()));
        for (const PacketField &field : fields)
            columns.emplace_back(field.type);
    }
    for (std::size_t i = 0; i < columns.size(); ++i)
        columns[i].append(values.value(qsizetype(i)));
    ++rowCount;
}

DataPacket DataPacket::fromRows(const QList<PacketField> &fields, const QList<QVariantList> &rows)
{
    DataPacket packet;
    packet.fields = fields;
    packet.columns.reserve(std::size_t(fields.size()));
    for (const PacketField &field : fields) {
        packet.columns.emplace_back(field.type);
        packet.columns.back().reserve(int(rows.size()));
    }
    for (const QVariantList &row : rows)
        packet.appendRow(row);
    return packet;
}

} // namespace platform
