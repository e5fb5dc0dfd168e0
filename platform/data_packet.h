#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

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

// A whole data packet as a record set loads it: the field list and, per
// field, one value per row. A null QVariant is a null value; otherwise the
// value holds QString, double, QDateTime or qint64 by the field's type.
struct DataPacket
{
    QList<PacketField> fields;
    int rowCount = 0;
    std::vector<std::vector<QVariant>> columns; // columns[field][row]
};

// Date-times carry civil time with no zone. They are held as QDateTime in
// UTC so that no local-time rule (a DST gap at midnight, for one) can move
// or invalidate them.
inline QDateTime civilDateTime(QDate date, QTime time = QTime(0, 0))
{
    return QDateTime(date, time, Qt::UTC);
}

// The zero date-time: what a date-time field of an empty record set reads.
inline QDateTime zeroDateTime()
{
    return civilDateTime(QDate(1899, 12, 30));
}

} // namespace platform
