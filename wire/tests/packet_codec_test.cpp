#include "wire/packet_builder.h"
#include "wire/packet_reader.h"

#include <gtest/gtest.h>

namespace pb = ate::appserver::v1;

namespace {

pb::DataPacket sample()
{
    pb::DataPacket packet;
    wire::PacketBuilder b(&packet);
    const int code = b.addField("CDCIA", pb::FIELD_TYPE_STRING, 4);
    const int qty = b.addField("QTSESOLICSP", pb::FIELD_TYPE_FLOAT);
    const int when = b.addField("DTHRPLAVOOPV", pb::FIELD_TYPE_DATE_TIME);
    const int mark = b.addField("IDMARCADO", pb::FIELD_TYPE_FIXED_STRING, 1);
    for (int r = 0; r < 10; ++r) {
        if (r == 3)
            b.appendNull(code);
        else
            b.appendText(code, r == 5 ? "VÔO" : "G3");
        if (r % 4 == 1)
            b.appendNull(qty);
        else
            b.appendNumber(qty, r * 1.5);
        b.appendDateTime(when, 1000LL * r);
        b.appendText(mark, "");
        b.endRow();
    }
    return packet;
}

} // namespace

// Values, nulls and multi-byte text survive a serialise/parse round trip.
TEST(PacketCodec, RoundTripWithNulls)
{
    pb::DataPacket sent = sample();
    pb::DataPacket got;
    ASSERT_TRUE(got.ParseFromString(sent.SerializeAsString()));
    wire::PacketReader r(got);
    ASSERT_TRUE(r.ok()) << r.error();
    EXPECT_EQ(r.rowCount(), 10u);
    EXPECT_EQ(r.fieldIndex("QTSESOLICSP"), 1);
    EXPECT_EQ(r.fieldIndex("NOPE"), -1);
    EXPECT_EQ(r.text(0, 0), "G3");
    EXPECT_TRUE(r.isNull(0, 3));
    EXPECT_EQ(r.text(0, 3), "");
    EXPECT_EQ(r.text(0, 5), "VÔO");
    EXPECT_FALSE(r.isNull(0, 9));
    EXPECT_TRUE(r.isNull(1, 1));
    EXPECT_TRUE(r.isNull(1, 9));
    EXPECT_FALSE(r.isNull(1, 8));
    EXPECT_DOUBLE_EQ(r.number(1, 8), 12.0);
    EXPECT_EQ(r.dateTime(2, 7), 7000);
    EXPECT_EQ(r.text(3, 2), "");
    EXPECT_FALSE(r.isNull(3, 2));
}

// An empty packet still carries its field list.
TEST(PacketCodec, EmptyPacketKeepsFields)
{
    pb::DataPacket packet;
    wire::PacketBuilder b(&packet);
    b.addField("CDCIA", pb::FIELD_TYPE_STRING, 4);
    wire::PacketReader r(packet);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.rowCount(), 0u);
    EXPECT_EQ(r.fieldCount(), 1);
}

// A malformed packet from a faulty peer is refused before any value is read
// out of bounds.
TEST(PacketCodec, MalformedPacketsRefused)
{
    {
        pb::DataPacket p = sample();
        p.mutable_columns(0)->mutable_text_lengths()->RemoveLast();
        EXPECT_FALSE(wire::PacketReader(p).ok());
    }
    {
        pb::DataPacket p = sample();
        p.mutable_columns(0)->set_text_lengths(0, 1000);
        EXPECT_FALSE(wire::PacketReader(p).ok());
    }
    {
        pb::DataPacket p = sample();
        p.set_row_count(11);
        EXPECT_FALSE(wire::PacketReader(p).ok());
    }
    {
        pb::DataPacket p = sample();
        p.add_columns();
        EXPECT_FALSE(wire::PacketReader(p).ok());
    }
    {
        pb::DataPacket p = sample();
        p.mutable_columns(1)->set_nulls(std::string(3, '\xff'));
        EXPECT_FALSE(wire::PacketReader(p).ok());
    }
    {
        pb::DataPacket p = sample();
        p.mutable_fields(2)->set_type(pb::FIELD_TYPE_UNSPECIFIED);
        EXPECT_FALSE(wire::PacketReader(p).ok());
    }
}
