#include "proto/appserver.grpc.pb.h"
#include "server/cache/reply_cache.h"
#include "server/module/queries.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/reply/outgoing_reply.h"
#include "server/tests/call_helpers.h"
#include "server/tests/fixture.h"
#include "server/transport/call_handler.h"
#include "server/transport/grpc_server.h"

#include <gtest/gtest.h>

#include <google/protobuf/util/message_differencer.h>
#include <grpcpp/generic/generic_stub.h>
#include <grpcpp/grpcpp.h>

#include <future>

namespace appserver::testing {
namespace {

using google::protobuf::util::MessageDifferencer;

// A packet of `rows` rows of one text column, long enough that its length
// takes several bytes on the wire.
pb::DataPacket textPacket(std::uint32_t rows)
{
    pb::DataPacket packet;
    pb::FieldDef *field = packet.add_fields();
    field->set_name("NRVOO");
    field->set_type(pb::FIELD_TYPE_STRING);
    field->set_size(5);
    packet.set_row_count(rows);
    pb::Column *column = packet.add_columns();
    for (std::uint32_t row = 0; row < rows; ++row) {
        const std::string value = std::to_string(1000 + row);
        column->mutable_text()->append(value);
        column->add_text_lengths(static_cast<std::uint32_t>(value.size()));
    }
    return packet;
}

std::string contentOf(const grpc::ByteBuffer &buffer)
{
    std::vector<grpc::Slice> slices;
    EXPECT_TRUE(buffer.Dump(&slices).ok());
    std::string out;
    for (const grpc::Slice &slice : slices)
        out.append(reinterpret_cast<const char *>(slice.begin()), slice.size());
    return out;
}

// What a client parses from every form of the reply, after checking that
// the forms agree with each other and with the size the server logs.
pb::CallReply clientView(OutgoingReply &reply)
{
    const std::string bytes = reply.serialise();
    EXPECT_EQ(reply.byteSize(), bytes.size());
    EXPECT_EQ(contentOf(reply.toByteBuffer()), bytes);
    pb::CallReply parsed;
    EXPECT_TRUE(parsed.ParseFromString(bytes));
    return parsed;
}

// Catches a packet spliced in with a wrong tag or length (a short packet's
// one-byte length, a large packet's several bytes, an empty packet that
// must still read as a packet), or by-reference values lost beside it.
TEST(OutgoingReplyTest, TheClientReadsWhatTheQueryBuilt)
{
    for (std::uint32_t rows : {0u, 3u, 5000u}) {
        SCOPED_TRACE(rows);
        const pb::DataPacket built = textPacket(rows);
        OutgoingReply reply;
        *reply.packet().message() = built;
        reply.addByReference()->set_text("AA,TP");
        reply.addByReference()->mutable_date_time()->set_msecs(42);

        const pb::CallReply parsed = clientView(reply);
        ASSERT_TRUE(parsed.has_packet());
        EXPECT_TRUE(MessageDifferencer::Equals(parsed.packet(), built));
        ASSERT_EQ(parsed.by_reference_size(), 2);
        EXPECT_EQ(parsed.by_reference(0).text(), "AA,TP");
        EXPECT_EQ(parsed.by_reference(1).date_time().msecs(), 42);
    }
}

// Catches a failure sent with the packet it replaced (the client would read
// whichever came last), or without the by-reference values.
TEST(OutgoingReplyTest, AFailureReplacesThePacket)
{
    OutgoingReply reply;
    *reply.packet().message() = textPacket(10);
    reply.packet().bytes();
    reply.addByReference()->set_text("a b");
    reply.fail("Data inválida.");

    const pb::CallReply parsed = clientView(reply);
    EXPECT_FALSE(parsed.has_packet());
    EXPECT_EQ(parsed.failure().message(), "Data inválida.");
    ASSERT_EQ(parsed.by_reference_size(), 1);
    EXPECT_EQ(parsed.by_reference(0).text(), "a b");
}

// Catches kept bytes that die with the cache entry while a reply that
// shares them is still on its way out.
TEST(OutgoingReplyTest, KeptBytesOutliveTheirCacheEntry)
{
    auto kept = std::make_shared<std::string>(textPacket(50).SerializeAsString());
    OutgoingReply reply;
    reply.packet().setBytes(kept);
    const grpc::ByteBuffer sent = reply.toByteBuffer();
    const std::string expected = reply.serialise();
    kept.reset();
    reply.packet().clear();
    EXPECT_EQ(contentOf(sent), expected);
    pb::CallReply parsed;
    ASSERT_TRUE(parsed.ParseFromString(contentOf(sent)));
    EXPECT_TRUE(MessageDifferencer::Equals(parsed.packet(), textPacket(50)));
}

// The real server on the fixture's database, called as the client calls it.
class ServedReplyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string whyNot;
        m_db = TestDatabase::create(Backend::SQLite, &whyNot);
        ASSERT_TRUE(m_db) << whyNot;
        loadFixture(m_db->connection());
        // One connection: its first call sees a changed database, every
        // later one can be answered from the cache.
        m_pool = std::make_unique<ConnectionPool>(m_db->databaseTarget(), 1);
        m_handler = std::make_unique<CallHandler>(*m_pool, m_log);
        m_handler->addModule(rdmPosFDiPlav(m_cache));
        ServerOptions options;
        options.port = 0;
        Result<std::unique_ptr<GrpcServer>> server = GrpcServer::start(options, *m_handler, m_log);
        ASSERT_TRUE(server.ok()) << server.error().message;
        m_server = std::move(*server);
        m_channel = grpc::CreateChannel("127.0.0.1:" + std::to_string(m_server->port()),
                                        grpc::InsecureChannelCredentials());
        m_stub = pb::AppServer::NewStub(m_channel);
    }

    pb::CallReply call(const pb::CallRequest &req)
    {
        grpc::ClientContext context;
        context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(5));
        pb::CallReply reply;
        const grpc::Status status = m_stub->Call(&context, req, &reply);
        EXPECT_TRUE(status.ok()) << status.error_message();
        return reply;
    }

    // The reply's size on the wire, as a client that does not parse it sees.
    std::size_t wireSize(const pb::CallRequest &req)
    {
        grpc::GenericStub stub(m_channel);
        grpc::ClientContext context;
        context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(5));
        grpc::ByteBuffer request;
        bool own = false;
        const grpc::Status serialised =
            grpc::SerializationTraits<pb::CallRequest>::Serialize(req, &request, &own);
        EXPECT_TRUE(serialised.ok());
        grpc::ByteBuffer reply;
        std::promise<grpc::Status> done;
        stub.UnaryCall(&context, "/ate.appserver.v1.AppServer/Call", grpc::StubOptions(), &request,
                       &reply, [&](grpc::Status status) { done.set_value(std::move(status)); });
        EXPECT_TRUE(done.get_future().get().ok());
        return reply.Length();
    }

    std::unique_ptr<TestDatabase> m_db;
    ReplyCache m_cache;
    std::unique_ptr<ConnectionPool> m_pool;
    CallLog m_log{stderr, CallLogLevel::Errors};
    std::unique_ptr<CallHandler> m_handler;
    std::unique_ptr<GrpcServer> m_server;
    std::shared_ptr<grpc::Channel> m_channel;
    std::unique_ptr<pb::AppServer::Stub> m_stub;
};

pb::CallRequest dayByReference()
{
    return request("GetPlanoVoo",
                   {textArg("", true), textArg("T", true), dateArg(fixtureDay()), textArg("GRU")});
}

// Catches a cached reply that differs from the one read from the database:
// the client must get the same packet and by-reference values from a hit
// as from the miss, and both must be the day's packet as the query builds
// it.
TEST_F(ServedReplyTest, AHitSendsExactlyWhatTheMissSent)
{
    const ReplyCache::Counts before = m_cache.counts();
    const pb::CallReply miss = call(dayByReference());
    const pb::CallReply hit = call(dayByReference());
    ASSERT_GT(m_cache.counts().hits, before.hits) << "the second call was not a hit";
    ASSERT_TRUE(miss.has_packet()) << miss.failure().message();
    EXPECT_TRUE(MessageDifferencer::Equals(hit, miss));
    ASSERT_EQ(hit.by_reference_size(), 2);
    EXPECT_EQ(hit.by_reference(1).text(), "T");

    PlanoVooSelection selection;
    selection.branch = "GRU";
    selection.date = fixtureDay();
    selection.allAirlines = true;
    pb::DataPacket built;
    ASSERT_TRUE(selectPlanoVoo(m_db->connection(), selection, &built).ok());
    EXPECT_TRUE(MessageDifferencer::Equals(hit.packet(), built));
    EXPECT_EQ(hit.packet().row_count(), 7u);
}

// Catches refused arguments answered with a packet, or a hit that drops
// the failure of a call whose arguments differ only in being refused.
TEST_F(ServedReplyTest, AFailureArrivesAsBefore)
{
    call(dayByReference());
    const pb::CallReply refused =
        call(request("GetPlanoVoo",
                     {textArg("a b", true), textArg("T"), dateArg(fixtureDay()), textArg("GRU")}));
    EXPECT_FALSE(refused.has_packet());
    EXPECT_EQ(refused.failure().message(),
              "Lista de companhias inválida: o código \"a b\" deve ter de 1 a 4 letras "
              "maiúsculas ou dígitos, sem espaços nem aspas.");
    ASSERT_EQ(refused.by_reference_size(), 1);
    EXPECT_EQ(refused.by_reference(0).text(), "a b");
}

// Catches a reply size measured other than as sent (the packet's header or
// the by-reference values left out, or counted twice): a reply exactly at
// the limit is sent, from the cache too, and one byte less refuses it with
// the size the client would have received.
TEST_F(ServedReplyTest, TheLimitIsTheSizeSent)
{
    const std::size_t size = wireSize(dayByReference());
    EXPECT_EQ(call(dayByReference()).ByteSizeLong(), size);

    m_handler->setMaxReplyBytes(size);
    EXPECT_TRUE(call(dayByReference()).has_packet());
    EXPECT_EQ(wireSize(dayByReference()), size);

    m_handler->setMaxReplyBytes(size - 1);
    const pb::CallReply refused = call(dayByReference());
    ASSERT_TRUE(refused.has_failure());
    EXPECT_NE(refused.failure().message().find("A resposta de GetPlanoVoo tem "
                                               + std::to_string(size) + " bytes, acima do limite"),
              std::string::npos)
        << refused.failure().message();
    EXPECT_EQ(refused.by_reference_size(), 2);
}

} // namespace
} // namespace appserver::testing
