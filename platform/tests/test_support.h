#pragma once

#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/data_packet.h"

#include <QStringList>
#include <QVariantList>

namespace platform::testing {

inline DataPacket makePacket(const QList<PacketField> &fields, const QList<QVariantList> &rows)
{
    return DataPacket::fromRows(fields, rows);
}

inline PacketColumn makeColumn(FieldType type, const QVariantList &values)
{
    PacketColumn column(type);
    for (const QVariant &value : values)
        column.append(value);
    return column;
}

// The flight-plan shape, shortened: code, number, situation, quantity, date.
inline QList<PacketField> flightFields()
{
    return {{QStringLiteral("CDCIA"), FieldType::String, 4},
            {QStringLiteral("NRVOO"), FieldType::String, 5},
            {QStringLiteral("IDSIT"), FieldType::String, 1},
            {QStringLiteral("QTPAX"), FieldType::Float, 0},
            {QStringLiteral("DTHRVOO"), FieldType::DateTime, 0}};
}

inline void declareFlightFields(ClientDataSet &set)
{
    for (const PacketField &field : flightFields())
        set.addField(field.name, field.type, field.size);
}

// Row i: airline "CI<i%3>", flight "<1000+i>", situation 1..5, i*1.5 pax.
inline DataPacket flightPacket(int rowCount)
{
    QList<QVariantList> rows;
    for (int i = 0; i < rowCount; ++i) {
        rows << QVariantList{QStringLiteral("CI%1").arg(i % 3), QString::number(1000 + i),
                             QString::number(i % 5 + 1), i * 1.5,
                             civilDateTime(QDate(2024, 3, 1), QTime(i % 24, 0))};
    }
    return makePacket(flightFields(), rows);
}

// Collects what reaches the error display instead of showing it.
class ErrorRecorder
{
public:
    ErrorRecorder()
    {
        setErrorDisplay([this](const QString &message) { messages << message; });
    }
    ~ErrorRecorder() { setErrorDisplay({}); }
    ErrorRecorder(const ErrorRecorder &) = delete;
    ErrorRecorder &operator=(const ErrorRecorder &) = delete;

    QStringList messages;
};

} // namespace platform::testing
