#include "host/net/check_result_serv.h"
#include "host/net/net_connection.h"
#include "platform/abort.h"
#include "testing/net/delay_proxy.h"
#include "testing/net/scripted_server.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cstdint>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using host::ServerArg;
using host::ServerReply;
using host::TNetConnection;
using host::testing::Answer;
using host::testing::ScriptedServer;
using host::testing::TestPacket;
using namespace std::chrono_literals;

namespace {

QDateTime civil(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

// A port of 127.0.0.1 that refuses connections for as long as this lives:
// bound, never listened on, so nothing else can take it meanwhile. With
// `port` given it is shared (SO_REUSEPORT, as gRPC's own servers bind), so
// that a server can be started on that port again while it is held.
class HeldPort
{
public:
    explicit HeldPort(int port = 0)
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        if (port != 0) {
            const int on = 1;
            ::setsockopt(m_socket, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        socklen_t length = sizeof address;
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), length) != 0
            || ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            throw std::runtime_error("cannot hold a port of 127.0.0.1");
        m_port = ntohs(address.sin_port);
    }
    ~HeldPort() { ::close(m_socket); }
    HeldPort(const HeldPort &) = delete;
    HeldPort &operator=(const HeldPort &) = delete;

    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};

class NetConnectionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_server.start();
        m_connection.setObjectName("netPosFDiPlav");
        m_connection.setServerName("Ate25400.rdmPosFDiPlav");
        m_connection.setDeadline(1000);
        m_connection.setBeforeConnect([this](TNetConnection &connection) {
            ++m_beforeConnectRuns;
            connection.setPort(m_server.port());
            connection.SetHost(m_server.host());
        });
    }

    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.port()); }

    ScriptedServer m_server;
    TNetConnection m_connection;
    int m_beforeConnectRuns = 0;
};

} // namespace

// Arguments reach the server in order, with their types, values and by-reference flags.
TEST_F(NetConnectionTest, TypedArgumentsArriveAsSent)
{
    m_server.setDefault("GetPlanoVoo", Answer::emptyPacket());
    QString list = QString::fromUtf8("G3;JJ;AZ–ç");
    m_connection.connect();
    const ServerReply reply = m_connection.appServer().invoke(
        "GetPlanoVoo", {&list, "", QDate(2024, 5, 1), "0001", 2.5,
                        civil(2024, 5, 1, 23, 59, 59, 999), 42, true, nullptr});
    ASSERT_TRUE(reply.ok()) << reply.message.toStdString();

    const host::testing::RecordedCall call = m_server.lastCall();
    EXPECT_EQ(call.module, "Ate25400.rdmPosFDiPlav");
    EXPECT_EQ(call.method, "GetPlanoVoo");
    const QVariantList expected = {list,
                                   QString(""),
                                   civil(2024, 5, 1),
                                   QString("0001"),
                                   2.5,
                                   civil(2024, 5, 1, 23, 59, 59, 999),
                                   QVariant::fromValue(qint64(42)),
                                   true,
                                   QVariant()};
    ASSERT_EQ(call.values().size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(call.values()[i].typeId(), expected[i].typeId()) << "argument " << i;
        EXPECT_EQ(call.values()[i], expected[i]) << "argument " << i;
        EXPECT_EQ(call.arguments[i].byReference, i == 0) << "argument " << i;
    }
    EXPECT_EQ(m_server.callStrings(),
              QStringList({QString::fromUtf8(
                  "GetPlanoVoo(&\"G3;JJ;AZ–ç\", \"\", 2024-05-01 00:00, \"0001\", 2.5, "
                  "2024-05-01 23:59:59.999, 42, true, null)")}));
}

// What the server writes back lands in the caller's by-reference variables, and only there.
TEST_F(NetConnectionTest, ByReferenceWriteBack)
{
    QString list = "G3";
    QString flag = "T";
    double amount = 0;
    m_server.enqueue("GetPlanoVoo",
                     Answer::emptyPacket().writingBack({QString("JJ"), QString(""), 7}));
    ASSERT_TRUE(
        m_connection.appServer().invoke("GetPlanoVoo", {&list, &flag, &amount, "0001"}).ok());
    EXPECT_EQ(list, "JJ");
    EXPECT_EQ(flag, "");
    EXPECT_EQ(amount, 7.0);

    // An unscripted write-back echoes the input: the variables keep their values.
    m_server.setDefault("GetPlanoVoo", Answer::emptyPacket());
    ASSERT_TRUE(m_connection.appServer().invoke("GetPlanoVoo", {&list, &flag, "", "0001"}).ok());
    EXPECT_EQ(list, "JJ");
    EXPECT_EQ(flag, "");

    // A write-back that does not fit leaves every variable alone and fails the call.
    m_server.enqueue("GetPlanoVoo", Answer::emptyPacket().writingBack({QString("AZ"), 3.5}));
    const ServerReply badType = m_connection.appServer().invoke("GetPlanoVoo", {&list, &flag});
    EXPECT_EQ(badType.status, ServerReply::Status::InvalidReply);
    EXPECT_EQ(list, "JJ");
    m_server.enqueue("GetPlanoVoo", Answer::emptyPacket().writingBack({QString("AZ")}));
    EXPECT_EQ(m_connection.appServer().invoke("GetPlanoVoo", {&list, &flag}).status,
              ServerReply::Status::InvalidReply);
    EXPECT_EQ(list, "JJ");

    // A failed call writes nothing back.
    m_server.enqueue("GetPlanoVoo",
                     Answer::failure("Recusado.").writingBack({QString("AZ"), QString("X")}));
    EXPECT_FALSE(m_connection.appServer().invoke("GetPlanoVoo", {&list, &flag}).ok());
    EXPECT_EQ(list, "JJ");
}

// The packet comes out of CheckResultServ; a refusal is raised with the server's own message.
TEST_F(NetConnectionTest, CheckResultServReturnsPacketOrRaisesServerMessage)
{
    m_server.enqueue(
        "GetCia",
        Answer::packet(TestPacket().fixedText("CDCIA", 4).text("NMCIA", 40).row({"G3", "Gol"})));
    m_server.enqueue("GetCia", Answer::failure(QString::fromUtf8("Filial 0009 não cadastrada.")));

    const platform::DataPacket packet =
        host::CheckResultServ(m_connection.appServer().invoke("GetCia", {"0001"}), true, 0);
    ASSERT_EQ(packet.rowCount, 1);
    EXPECT_EQ(packet.fields[1].name, "NMCIA");
    EXPECT_EQ(packet.columns[1].text(0), "Gol");

    const ServerReply refused = m_connection.appServer().invoke("GetCia", {"0009"});
    EXPECT_EQ(refused.status, ServerReply::Status::ServerFailure);
    try {
        host::CheckResultServ(refused, true, 0);
        FAIL() << "a failed reply passed CheckResultServ";
    } catch (const platform::Error &error) {
        EXPECT_EQ(error.message(), QString::fromUtf8("Filial 0009 não cadastrada."));
    }
    EXPECT_EQ(host::CheckResultServ(refused, false, 0).rowCount, 0);
    EXPECT_EQ(m_server.methods(), QStringList({"GetCia", "GetCia"}));
}

// A dead server fails connect and calls without waiting out the deadline, in
// Portuguese, naming the address; nothing hangs.
TEST_F(NetConnectionTest, ServerDownFailsQuicklyNamingTheAddress)
{
    const HeldPort dead;
    const int port = dead.port();
    m_connection.setBeforeConnect([port](TNetConnection &connection) {
        connection.setPort(port);
        connection.SetHost("127.0.0.1");
    });
    // Far beyond what a refused connection takes even on a loaded machine:
    // the limits below only tell a refusal from a wait for the deadline.
    m_connection.setDeadline(120000);
    const QString address = QStringLiteral("127.0.0.1:%1").arg(port);

    QElapsedTimer clock;
    clock.start();
    try {
        m_connection.connect();
        FAIL() << "connected to a dead server";
    } catch (const platform::Error &error) {
        EXPECT_TRUE(error.message().startsWith(QString::fromUtf8("Não foi possível conectar")))
            << error.what();
        EXPECT_TRUE(error.message().contains(address)) << error.what();
    }
    EXPECT_FALSE(m_connection.isConnected());
    EXPECT_LT(clock.elapsed(), 60000);

    // A call made while closed tries to connect again and reports the same way.
    clock.restart();
    const ServerReply reply = m_connection.appServer().invoke("GetCia", {"0001"});
    EXPECT_EQ(reply.status, ServerReply::Status::TransportFailure);
    EXPECT_TRUE(reply.message.contains(address)) << reply.message.toStdString();
    EXPECT_FALSE(reply.message.contains(QString::fromUtf8("tempo de resposta esgotado")))
        << reply.message.toStdString();
    EXPECT_LT(clock.elapsed(), 60000);
}

// A server that goes away under an open connection gives a failure naming it, not a hang.
TEST_F(NetConnectionTest, ServerStoppedWhileConnected)
{
    m_server.setDefault("GetCia", Answer::emptyPacket());
    m_connection.connect();
    ASSERT_TRUE(m_connection.appServer().invoke("GetCia", {"0001"}).ok());
    m_server.stop();

    // "Unavailable", not the deadline's "no reply in time": the loss is seen
    // at once.
    const ServerReply reply = m_connection.appServer().invoke("GetCia", {"0001"});
    EXPECT_EQ(reply.status, ServerReply::Status::TransportFailure);
    EXPECT_EQ(reply.message,
              QString::fromUtf8("Não foi possível comunicar com o servidor de aplicação %1 "
                                "(servidor indisponível).")
                  .arg(address()));
}

// A hung server costs the deadline and no more; the connection serves the next call.
TEST_F(NetConnectionTest, DeadlineBoundsAHungServer)
{
    m_connection.setDeadline(300);
    m_connection.connect();
    m_server.enqueue("GetPrevPax", Answer::emptyPacket().after(10s));
    m_server.enqueue("GetPrevPax", Answer::emptyPacket());

    QElapsedTimer clock;
    clock.start();
    const ServerReply reply = m_connection.appServer().invoke(
        "GetPrevPax", {"G3", "0001", "1234", "GRU", civil(2024, 5, 1)});
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(reply.status, ServerReply::Status::TransportFailure);
    EXPECT_EQ(reply.message,
              QString::fromUtf8("Não foi possível comunicar com o servidor de aplicação %1 "
                                "(tempo de resposta esgotado).")
                  .arg(address()));
    EXPECT_GE(elapsed, 290);
    // The hung answer comes after 10 s: well before it, the deadline ended the call.
    EXPECT_LT(elapsed, 8000);

    EXPECT_TRUE(m_connection.appServer()
                    .invoke("GetPrevPax", {"G3", "0001", "1234", "GRU", civil(2024, 5, 1)})
                    .ok());
}

// After the server comes back on the same port, the first refresh gets
// through: it does not fail while the channel waits out a grown backoff.
TEST_F(NetConnectionTest, RecoversQuicklyAfterServerRestart)
{
    m_server.setDefault("GetPlanoVoo", Answer::emptyPacket());
    m_connection.connect();
    ASSERT_TRUE(m_connection.appServer().invoke("GetPlanoVoo").ok());

    // Down for over a second of failing refreshes: gRPC's default backoff
    // would have grown past a second by then. The port stays held, refusing,
    // so that no other program takes it meanwhile.
    const int port = m_server.port();
    {
        m_server.stop();
        const HeldPort held(port);
        QElapsedTimer down;
        down.start();
        while (down.elapsed() < 1200) {
            EXPECT_FALSE(m_connection.appServer().invoke("GetPlanoVoo").ok());
            std::this_thread::sleep_for(100ms);
        }
        m_server.start();
        ASSERT_EQ(m_server.port(), port);
    }

    EXPECT_TRUE(m_connection.appServer().invoke("GetPlanoVoo").ok());
    EXPECT_TRUE(m_connection.isConnected());
}

// The bearer token goes with every call, under the lower-case key gRPC requires.
TEST_F(NetConnectionTest, BearerTokenIsSent)
{
    m_server.setDefault("GetCia", Answer::emptyPacket());
    m_connection.setBearerToken("s3cr3t");
    ASSERT_TRUE(m_connection.appServer().invoke("GetCia", {"0001"}).ok());
    ASSERT_TRUE(m_connection.appServer().invoke("GetCia", {"0002"}).ok());
    for (const host::testing::RecordedCall &call : m_server.calls())
        EXPECT_EQ(call.authorization(), "Bearer s3cr3t");
}

// A token is never sent in clear text to another machine.
TEST_F(NetConnectionTest, TokenWithoutTlsRefusedForRemoteHost)
{
    m_connection.setBearerToken("s3cr3t");
    m_connection.setBeforeConnect([](TNetConnection &connection) {
        connection.SetHost("192.0.2.10");
        connection.setPort(50051);
    });
    try {
        m_connection.connect();
        FAIL() << "token would travel in clear text";
    } catch (const platform::Error &error) {
        EXPECT_TRUE(error.message().contains("192.0.2.10:50051")) << error.what();
        EXPECT_TRUE(error.message().contains("TLS")) << error.what();
    }
}

// A reply whose packet does not hold together is refused, naming the server.
TEST_F(NetConnectionTest, MalformedReplyRefused)
{
    ate::appserver::v1::CallReply badPacket;
    *badPacket.mutable_packet() = TestPacket().text("CDCIA", 4).row({"G3"}).toWire();
    badPacket.mutable_packet()->set_row_count(5);
    m_server.enqueue("GetCia", Answer::raw(badPacket));
    m_server.enqueue("GetCia", Answer::raw(ate::appserver::v1::CallReply()));

    for (int i = 0; i < 2; ++i) {
        const ServerReply reply = m_connection.appServer().invoke("GetCia", {"0001"});
        EXPECT_EQ(reply.status, ServerReply::Status::InvalidReply);
        EXPECT_TRUE(reply.message.contains(address())) << reply.message.toStdString();
        EXPECT_THROW(host::CheckResultServ(reply, true, 0), platform::Error);
    }
}

// The connection keeps the last reply to each request so that the same bytes
// again are not decoded again: each call must still get its own reply's
// values, write-backs and failure, down to a single changed byte.
TEST_F(NetConnectionTest, RepeatedRequestsGetTheirOwnReplies)
{
    const auto services = [](const char *airline) {
        return Answer::packet(TestPacket().text("CDCIA", 4).row({airline}).row({"JJ"}));
    };
    const auto airlineOf = [](const ServerReply &reply) {
        return reply.packet.columns.at(0).text(0);
    };
    for (const char *airline : {"G3", "G3", "G4", "G3"}) {
        m_server.enqueue("GetServPlano", services(airline));
        const ServerReply reply = m_connection.appServer().invoke("GetServPlano", {"0001"});
        ASSERT_TRUE(reply.ok()) << reply.message.toStdString();
        EXPECT_EQ(airlineOf(reply), airline);
        EXPECT_EQ(reply.packet.rowCount, 2);
    }
    // Another request of the same method is another question.
    m_server.enqueue("GetServPlano", services("AZ"));
    EXPECT_EQ(airlineOf(m_connection.appServer().invoke("GetServPlano", {"0002"})), "AZ");
    m_server.enqueue("GetServPlano", services("G3"));
    EXPECT_EQ(airlineOf(m_connection.appServer().invoke("GetServPlano", {"0001"})), "G3");

    QString list;
    for (const char *written : {"JJ", "JJ", "JK"}) {
        list = "G3";
        m_server.enqueue("GetPlanoVoo", Answer::emptyPacket().writingBack({QString(written)}));
        ASSERT_TRUE(m_connection.appServer().invoke("GetPlanoVoo", {&list}).ok());
        EXPECT_EQ(list, written);
    }

    m_server.enqueue("GetServPlano", Answer::failure("Serviços indisponíveis."));
    const ServerReply refused = m_connection.appServer().invoke("GetServPlano", {"0001"});
    EXPECT_EQ(refused.status, ServerReply::Status::ServerFailure);
    EXPECT_EQ(refused.message, "Serviços indisponíveis.");
    m_server.enqueue("GetServPlano", services("G3"));
    EXPECT_EQ(airlineOf(m_connection.appServer().invoke("GetServPlano", {"0001"})), "G3");
}

// Catches a connection that holds replies a server without the change
// feed (an older one) cannot vouch for: every call still reaches it, in
// the order made, and the feed shows as off.
TEST_F(NetConnectionTest, AServerWithoutTheFeedGetsEveryCallInOrder)
{
    m_server.setDefault("GetCia", Answer::emptyPacket());
    m_server.setDefault("GetCompanhia", Answer::emptyPacket());
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(m_connection.appServer().invoke("GetCia", {"GRU"}).ok());
        ASSERT_TRUE(m_connection.appServer().invoke("GetCompanhia", {"GRU"}).ok());
    }
    // The feed's thread learns it at the server's first answer.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (m_connection.feedStatus().state != host::FeedStatus::State::Off
           && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
    EXPECT_EQ(int(m_connection.feedStatus().state), int(host::FeedStatus::State::Off));
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(m_connection.appServer().invoke("GetCia", {"GRU"}).ok());
    QStringList methods;
    for (const auto &call : m_server.calls())
        methods << call.method;
    EXPECT_EQ(methods, QStringList({"GetCia", "GetCompanhia", "GetCia", "GetCompanhia", "GetCia",
                                    "GetCompanhia", "GetCia", "GetCia"}));
}

// A day's reply larger than gRPC's default 4 MiB receive limit still arrives.
TEST_F(NetConnectionTest, LargeReplyArrives)
{
    TestPacket big = TestPacket().text("DSOBS", 0);
    const QString text(1000, QLatin1Char('x'));
    for (int r = 0; r < 6000; ++r)
        big.row({text});
    m_server.enqueue("GetServPlano", Answer::packet(big));
    const ServerReply reply = m_connection.appServer().invoke("GetServPlano");
    ASSERT_TRUE(reply.ok()) << reply.message.toStdString();
    EXPECT_EQ(reply.packet.rowCount, 6000);
}

// Catches a slow-link proxy that loses, reorders or holds back bytes, or
// does not delay at all: the link benchmarks and the slow-link tests would
// then measure nothing. A large reply crosses it whole, each call costs at
// least the round trip, and the bytes are counted each way.
TEST_F(NetConnectionTest, ADelayingProxyCarriesEveryByteAfterItsRoundTrip)
{
    host::testing::DelayProxy proxy(m_server.port(), 20ms);
    ASSERT_GT(proxy.port(), 0);
    m_connection.setBeforeConnect([&proxy](TNetConnection &connection) {
        connection.setPort(proxy.port());
        connection.SetHost(QStringLiteral("127.0.0.1"));
    });
    m_connection.setDeadline(10000);
    TestPacket big = TestPacket().text("DSOBS", 0);
    for (int r = 0; r < 3000; ++r)
        big.row({QString(1000, QLatin1Char('a' + r % 26))});
    m_server.enqueue("GetServPlano", Answer::packet(big));
    m_server.setDefault("GetCia", Answer::emptyPacket());
    m_connection.connect();

    const ServerReply reply = m_connection.appServer().invoke("GetServPlano");
    ASSERT_TRUE(reply.ok()) << reply.message.toStdString();
    ASSERT_EQ(reply.packet.rowCount, 3000);
    EXPECT_GT(proxy.bytesToClient(), 3000u * 1000u);
    EXPECT_GT(proxy.bytesToServer(), 0u);

    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(m_connection.appServer().invoke("GetCia", {"0001"}).ok());
    EXPECT_GE(clock.elapsed(), 40);
}

// BeforeConnect runs at every connect, so a reconnect picks up the current host and port.
TEST_F(NetConnectionTest, BeforeConnectRunsAtEveryConnect)
{
    m_connection.connect();
    m_connection.connect();
    EXPECT_EQ(m_beforeConnectRuns, 1);
    m_connection.disconnect();
    EXPECT_FALSE(m_connection.isConnected());
    m_connection.connect();
    EXPECT_EQ(m_beforeConnectRuns, 2);
    EXPECT_EQ(m_connection.serverAddress(), address());
}

// With ThrowException on, a failed call throws instead of returning a failed reply.
TEST_F(NetConnectionTest, ThrowExceptionRaisesFailures)
{
    m_server.enqueue("GetCia", Answer::failure("Sem companhias."));
    m_connection.setThrowException(true);
    EXPECT_THROW(m_connection.appServer().invoke("GetCia", {"0001"}), platform::Error);
}

// An argument the wire cannot carry fails the call before anything is sent.
TEST_F(NetConnectionTest, UnsupportedArgumentIsNotSent)
{
    const ServerReply reply =
        m_connection.appServer().invoke("GetCia", {ServerArg::fromVariant(QByteArray("raw"))});
    EXPECT_EQ(reply.status, ServerReply::Status::InvalidArgument);
    EXPECT_EQ(m_server.callCount(), 0);
}
