#include "host/net/server_arg.h"
#include "host/net/wire_values.h"
#include "testing/net/test_packet.h"
#include "wire/civil_datetime.h"

#include <gtest/gtest.h>

#include <QTimeZone>

using host::testing::TestPacket;
using platform::FieldType;
namespace pb = ate::appserver::v1;

namespace {

QDateTime civil(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

platform::DataPacket convert(const pb::DataPacket &wirePacket)
{
    QString error;
    std::optional<platform::DataPacket> packet = host::toDataPacket(wirePacket, &error);
    EXPECT_TRUE(packet.has_value()) << error.toStdString();
    return packet.value_or(platform::DataPacket());
}

QString refused(const pb::DataPacket &wirePacket)
{
    QString error;
    EXPECT_FALSE(host::toDataPacket(wirePacket, &error).has_value());
    return error;
}

} // namespace

// Field list, every type, nulls and multi-byte text survive the trip into a record set's packet.
TEST(PacketConversion, EveryTypeWithNullsAndMultibyteText)
{
    const TestPacket sent =
        TestPacket()
            .text("NMCIA", 40)
            .fixedText("IDSITUACAO", 1)
            .number("VRUNIT")
            .dateTime("DTHRPLAVOOPV")
            .integer("QTPAX")
            .row({"Vôo São João – ação", "1", 12.5, civil(2024, 2, 29, 23, 59, 59, 999), 180})
            .row({QVariant(), QVariant(), QVariant(), QVariant(), QVariant()})
            .row({"", "5", -0.25, civil(1899, 12, 30), qint64(-7)});
    const platform::DataPacket got = convert(sent.toWire());

    ASSERT_EQ(got.fields.size(), 5);
    EXPECT_EQ(got.fields[0].name, "NMCIA");
    EXPECT_EQ(got.fields[0].type, FieldType::String);
    EXPECT_EQ(got.fields[0].size, 40);
    EXPECT_EQ(got.fields[1].type, FieldType::FixedString);
    EXPECT_EQ(got.fields[2].type, FieldType::Float);
    EXPECT_EQ(got.fields[3].type, FieldType::DateTime);
    EXPECT_EQ(got.fields[4].type, FieldType::Integer);
    ASSERT_EQ(got.rowCount, 3);
    ASSERT_EQ(got.columns.size(), 5u);
    for (const auto &column : got.columns)
        ASSERT_EQ(column.size(), 3);

    EXPECT_EQ(got.columns[0].value(0).toString(), QString::fromUtf8("Vôo São João – ação"));
    EXPECT_EQ(got.columns[1].value(0).toString(), "1");
    EXPECT_EQ(got.columns[2].value(0).typeId(), QMetaType::Double);
    EXPECT_EQ(got.columns[2].value(0).toDouble(), 12.5);
    EXPECT_EQ(got.columns[3].value(0).typeId(), QMetaType::QDateTime);
    EXPECT_EQ(got.columns[3].value(0).toDateTime(), civil(2024, 2, 29, 23, 59, 59, 999));
    EXPECT_EQ(got.columns[3].value(0).toDateTime().timeSpec(), Qt::UTC);
    EXPECT_EQ(got.columns[4].value(0).typeId(), QMetaType::LongLong);
    EXPECT_EQ(got.columns[4].value(0).toLongLong(), 180);

    for (int c = 0; c < 5; ++c)
        EXPECT_FALSE(got.columns[c].value(1).isValid()) << "column " << c;

    // An empty text is a value, not a null.
    EXPECT_TRUE(got.columns[0].value(2).isValid());
    EXPECT_EQ(got.columns[0].value(2).toString(), "");
    EXPECT_EQ(got.columns[3].value(2).toDateTime(), civil(1899, 12, 30));
    EXPECT_EQ(got.columns[4].value(2).toLongLong(), -7);
}

// Converting a packet that is ours to spend (its bytes taken, not copied)
// must give the very values a copy gives; a null date-time is not checked
// for range, whatever its slot holds.
TEST(PacketConversion, TakenPacketReadsAsCopiedOne)
{
    pb::DataPacket sent = TestPacket()
                              .text("NMCIA", 40)
                              .number("VRUNIT")
                              .dateTime("DTHR")
                              .integer("QTPAX")
                              .row({"São João", 1.5, civil(2024, 2, 29, 23, 59), 3})
                              .row({QVariant(), QVariant(), QVariant(), QVariant()})
                              .row({"ação", -2.0, civil(1900, 1, 1), qint64(-7)})
                              .toWire();
    sent.mutable_columns(2)->set_date_times(1, std::numeric_limits<std::int64_t>::max());
    const platform::DataPacket copied = convert(sent);
    QString error;
    std::optional<platform::DataPacket> taken = host::toDataPacket(pb::DataPacket(sent), &error);
    ASSERT_TRUE(taken.has_value()) << error.toStdString();
    ASSERT_EQ(taken->columns.size(), copied.columns.size());
    for (std::size_t c = 0; c < copied.columns.size(); ++c) {
        for (int r = 0; r < copied.rowCount; ++r)
            EXPECT_EQ(taken->columns[c].value(r), copied.columns[c].value(r)) << c << "," << r;
    }
    EXPECT_EQ(taken->columns[0].text(2), QString::fromUtf8("ação"));
    EXPECT_FALSE(taken->columns[2].value(1).isValid());
}

// Repeated texts, a change of value or a null in between must each read back as sent.
TEST(PacketConversion, RepeatedTextsKeepEveryValue)
{
    TestPacket sent = TestPacket().fixedText("CDCIA", 4);
    const QVariantList codes = {"G3", "G3", QVariant(), "G3", "JJ", "G3", "G3 ", ""};
    for (const QVariant &code : codes)
        sent.row({code});
    const platform::DataPacket got = convert(sent.toWire());
    ASSERT_EQ(got.columns[0].size(), static_cast<int>(codes.size()));
    for (int r = 0; r < codes.size(); ++r) {
        EXPECT_EQ(got.columns[0].value(r).isValid(), codes[r].isValid()) << "row " << r;
        EXPECT_EQ(got.columns[0].value(r).toString(), codes[r].toString()) << "row " << r;
    }
}

// The epoch offset and calendar arithmetic agree with the wire codec's own, both ways.
TEST(PacketConversion, DateTimesAgreeWithTheWireCodec)
{
    for (const qint64 msecs :
         {qint64(0), qint64(-1), qint64(86'399'999), qint64(-693'593) * 86'400'000,
          qint64(45'351) * 86'400'000 + 3'723'004, qint64(2'958'465) * 86'400'000 + 1}) {
        const wire::CivilDateTime expected = wire::fromMsecs(msecs);
        const QDateTime got = host::civilFromWire(msecs);
        ASSERT_TRUE(got.isValid()) << msecs;
        EXPECT_EQ(got.date(), QDate(expected.year, expected.month, expected.day)) << msecs;
        EXPECT_EQ(got.time(), QTime(expected.hour, expected.minute, expected.second, expected.msec))
            << msecs;
        EXPECT_EQ(host::civilToWire(got), msecs);
    }
    // A value in another zone travels as the date and time it shows.
    const QDateTime saoPaulo(QDate(2024, 5, 1), QTime(8, 30), QTimeZone("America/Sao_Paulo"));
    EXPECT_EQ(host::civilToWire(saoPaulo), host::civilToWire(civil(2024, 5, 1, 8, 30)));
    EXPECT_FALSE(host::civilToWire(QDateTime()).has_value());
    EXPECT_FALSE(host::civilFromWire(std::numeric_limits<qint64>::max()).isValid());
}

// A packet that does not hold together is refused with a reason, never read out of bounds.
TEST(PacketConversion, MalformedPacketsAreRefused)
{
    const pb::DataPacket good =
        TestPacket().text("CDCIA", 4).dateTime("DTHR").row({"G3", civil(2024, 1, 1)}).toWire();

    pb::DataPacket missingColumn = good;
    missingColumn.mutable_columns()->RemoveLast();
    EXPECT_FALSE(refused(missingColumn).isEmpty());

    pb::DataPacket textOverrun = good;
    textOverrun.mutable_columns(0)->set_text_lengths(0, 99);
    EXPECT_TRUE(refused(textOverrun).contains("CDCIA"));

    pb::DataPacket moreRows = good;
    moreRows.set_row_count(2);
    EXPECT_FALSE(refused(moreRows).isEmpty());

    pb::DataPacket farDate = good;
    farDate.mutable_columns(1)->set_date_times(0, std::numeric_limits<std::int64_t>::max());
    EXPECT_TRUE(refused(farDate).contains("DTHR"));

    pb::DataPacket unknownType = good;
    unknownType.mutable_fields(1)->set_type(pb::FIELD_TYPE_UNSPECIFIED);
    EXPECT_FALSE(refused(unknownType).isEmpty());
}

// Every argument type reaches the wire and comes back as the same kind of value.
TEST(WireValues, ArgumentTypesRoundTrip)
{
    const QVariantList values = {QString::fromUtf8("ação"),
                                 2.5,
                                 civil(2024, 5, 1, 10, 0, 0, 5),
                                 QVariant::fromValue(qint64(1) << 40),
                                 true,
                                 QVariant()};
    for (const QVariant &value : values) {
        pb::Value wireValue;
        ASSERT_TRUE(host::toWireValue(value, &wireValue)) << value.typeName();
        const QVariant back = host::fromWireValue(wireValue);
        EXPECT_EQ(back.typeId(), value.typeId());
        EXPECT_EQ(back, value);
    }
    pb::Value wireValue;
    ASSERT_TRUE(host::toWireValue(QDate(2024, 5, 1), &wireValue));
    EXPECT_EQ(host::fromWireValue(wireValue), QVariant(civil(2024, 5, 1)));
    ASSERT_TRUE(host::toWireValue(42, &wireValue));
    EXPECT_EQ(wireValue.integer(), 42);
    // An empty date is null, not the year 1 or a failure.
    ASSERT_TRUE(host::toWireValue(QDateTime(), &wireValue));
    EXPECT_EQ(wireValue.kind_case(), pb::Value::KIND_NOT_SET);
    EXPECT_FALSE(host::toWireValue(QByteArray("x"), &wireValue));
    EXPECT_FALSE(
        host::toWireValue(QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC), &wireValue));
}

// A written-back value of the wrong type never lands in the caller's variable.
TEST(ServerArgument, WriteBackKeepsTheVariableType)
{
    QString list = "G3";
    double amount = 1;
    qint64 count = 1;
    QDateTime when = civil(2024, 1, 1);
    const host::ServerArg listArg(&list), amountArg(&amount), countArg(&count), whenArg(&when);

    EXPECT_EQ(listArg.value(), QVariant("G3"));
    EXPECT_FALSE(listArg.writeBack(3.0));
    EXPECT_EQ(list, "G3");
    EXPECT_TRUE(listArg.writeBack(QString("JJ")));
    EXPECT_EQ(list, "JJ");
    EXPECT_TRUE(listArg.writeBack(QVariant()));
    EXPECT_EQ(list, "");

    EXPECT_TRUE(amountArg.writeBack(QVariant::fromValue(qint64(4))));
    EXPECT_EQ(amount, 4.0);
    EXPECT_FALSE(countArg.writeBack(4.5));
    EXPECT_EQ(count, 1);
    EXPECT_FALSE(whenArg.writeBack(QString("2024-01-01")));
    EXPECT_TRUE(whenArg.writeBack(QVariant()));
    EXPECT_EQ(when, civil(1899, 12, 30));

    const host::ServerArg byValue("T");
    EXPECT_FALSE(byValue.byReference());
    EXPECT_FALSE(byValue.writeBack(QString("X")));
}
