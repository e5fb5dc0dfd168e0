#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

enum class FieldType {
    String,      // variable length, at most `size` characters
    FixedString, // fixed length `size`
    Float,       // double
    DateTime,    // civil date-time, see civilDateTime()
    Integer,     // qint64
};

struct PacketField
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0;
};

// Date-times carry civil time with no zone. They are handed out as
// QDateTime in UTC so that no local-time rule (a DST gap at midnight, for
// one) can move or invalidate them.
inline QDateTime civilDateTime(QDate date, QTime time = QTime(0, 0))
{
    return QDateTime(date, time, Qt::UTC);
}

// The zero date-time: what a date-time field of an empty record set reads.
inline QDateTime zeroDateTime()
{
    return civilDateTime(QDate(1899, 12, 30));
}

// Civil date-times as milliseconds since the zero date-time, the date and
// time of day the value shows whatever its zone; and back, in UTC.
qint64 civilMsecs(const QDateTime &dateTime);
QDateTime civilFromMsecs(qint64 msecs);

// The values of one field for all rows, kept as they travel rather than one
// QVariant per cell: text as UTF-8 bytes with each value's offset, numbers
// as doubles, integers and date-times (milliseconds since the zero
// date-time) as 64-bit integers, and a mask of the null rows. A value is
// made only when it is read.
class PacketColumn
{
public:
    explicit PacketColumn(FieldType type = FieldType::String);

    // Whole columns as they arrive. Bit r of `nulls` (least significant
    // first within each byte) set: row r is null; missing bytes mean "not
    // null". Text columns take each value's byte length (0 for a null row).
    // A column that does not hold together reads as holding a wrong value
    // in its first row, which loading refuses.
    static PacketColumn texts(FieldType type, std::string utf8, const std::uint32_t *lengths,
                              int rowCount, std::string nulls);
    static PacketColumn numbers(std::vector<double> values, std::string nulls);
    static PacketColumn integers(FieldType type, std::vector<qint64> values, std::string nulls);

    FieldType type() const { return m_type; }
    bool holdsText() const
    {
        return m_type == FieldType::String || m_type == FieldType::FixedString;
    }
    int size() const { return m_rows; }

    // Rows checked by the caller.
    bool isNull(int row) const
    {
        const std::size_t byte = std::size_t(row) / 8;
        const std::string &nulls = m_values->nulls;
        return byte < nulls.size() && (static_cast<unsigned char>(nulls[byte]) >> (row % 8)) & 1u;
    }
    std::string_view utf8(int row) const
    {
        const std::vector<std::uint32_t> &offsets = m_values->offsets;
        return std::string_view(m_values->text)
            .substr(offsets[row], offsets[row + 1] - offsets[row]);
    }
    QString text(int row) const;
    double number(int row) const;  // an integer column reads as double
    qint64 integer(int row) const; // integer and date-time (msecs) columns
    QDateTime dateTime(int row) const { return civilFromMsecs(integer(row)); }
    // QString, double, QDateTime or qint64 by the column's type; invalid
    // for a null row.
    QVariant value(int row) const;

    // Row by row. A value of another type than the column's is kept as a
    // null and remembered: loading refuses the packet, naming its row. An
    // empty (invalid) date-time is a null.
    void append(const QVariant &value);
    void appendNull();
    void reserve(int rowCount);
    // The first row given a value of the wrong type; -1 when none.
    int invalidRow() const { return m_invalidRow; }

    // Whether the two columns (of the same type and length) hold the same
    // value in `row`; two nulls are the same whatever is stored under them.
    bool sameValue(const PacketColumn &other, int row) const;
    // Every row the same, told from the stored bytes where they are equal.
    bool sameValues(const PacketColumn &other) const;

    // Text columns: the byte length of the longest value, an upper bound
    // of its length in characters.
    int longestText() const { return m_longestText; }
    // Cuts every text longer than `length` characters to that length.
    void truncateTexts(int length);

private:
    void setNull(int row);
    void appendUtf8(std::string_view bytes);
    // Before any change: values shared with a copy are copied first.
    void detach();

    // Shared between copies until one of them changes: a packet kept by the
    // host connection and the record set loaded from it hold one copy.
    struct Values
    {
        std::string nulls;
        std::string text;
        std::vector<std::uint32_t> offsets{0}; // text columns: rows + 1 entries
        std::vector<double> numbers;
        std::vector<qint64> integers;
    };

    FieldType m_type;
    int m_rows = 0;
    std::shared_ptr<Values> m_values;
    int m_longestText = 0;
    int m_invalidRow = -1;
};

// The first and last rows in which two lists of columns of the same shape
// (types and lengths) differ; {-1, -1} when none does.
std::pair<int, int> differingRows(const std::vector<PacketColumn> &before,
                                  const std::vector<PacketColumn> &after);
// Whether two lists of columns have the same types and lengths.
bool sameShape(const std::vector<PacketColumn> &before, const std::vector<PacketColumn> &after);

// A whole data packet as a record set loads it: the field list and, per
// field, its column of values.
struct DataPacket
{
    QList<PacketField> fields;
    int rowCount = 0;
    std::vector<PacketColumn> columns; // one per field, same order

    // Builds row by row, one value per field in field order (see
    // PacketColumn::append); the columns are made from `fields` on the
    // first row.
    void appendRow(const QVariantList &values);
    static DataPacket fromRows(const QList<PacketField> &fields, const QList<QVariantList> &rows);
};

} // namespace platform
