#pragma once

#include "platform/data_packet.h"
#include "proto/appserver.pb.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace host::testing {

// A data packet for scripted answers and expectations, declared field by
// field and filled row by row:
//
//     TestPacket().text("CDCIA", 4).dateTime("DTHRPLAVOOPV").number("QTPAX")
//         .row({"G3", QDateTime(...), 12.0})
//         .row({"JJ", QVariant(), 3});
//
// Row values go in field order; QVariant() is null. Text fields take
// QString (or text literals), float fields any number, integer fields any
// integer, date-time fields QDateTime or QDate (civil: the date and time of
// day shown).
class TestPacket
{
public:
    TestPacket &field(const QString &name, platform::FieldType type, int size = 0);
    TestPacket &text(const QString &name, int size = 0)
    {
        return field(name, platform::FieldType::String, size);
    }
    TestPacket &fixedText(const QString &name, int size)
    {
        return field(name, platform::FieldType::FixedString, size);
    }
    TestPacket &number(const QString &name) { return field(name, platform::FieldType::Float); }
    TestPacket &dateTime(const QString &name) { return field(name, platform::FieldType::DateTime); }
    TestPacket &integer(const QString &name) { return field(name, platform::FieldType::Integer); }

    // Throws std::invalid_argument when the row does not match the fields.
    TestPacket &row(const QVariantList &values);

    const QList<platform::PacketField> &fields() const { return m_fields; }
    int rowCount() const { return static_cast<int>(m_rows.size()); }

    // The packet as it travels.
    ate::appserver::v1::DataPacket toWire() const;

private:
    QList<platform::PacketField> m_fields;
    QList<QVariantList> m_rows;
};

} // namespace host::testing
