#pragma once

#include "testing/net/test_packet.h"

#include "proto/appserver.pb.h"

#include <grpcpp/support/status_code_enum.h>

#include <QByteArray>
#include <QList>
#include <QMultiMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace grpc {
class Server;
}

namespace host::testing {

// One argument as the server received it.
struct RecordedArgument
{
    QVariant value; // QString, double, QDateTime (civil, UTC), qint64, bool; invalid = null
    bool byReference = false;
};

// One call as the server received it.
struct RecordedCall
{
    QString module;
    QString method;
    QList<RecordedArgument> arguments;
    QMultiMap<QByteArray, QByteArray> metadata; // lower-case keys, as gRPC delivers them

    QVariantList values() const;
    // The "authorization" header, e.g. "Bearer abc"; empty when not sent.
    QByteArray authorization() const;
    // A readable one-line form for assertions, e.g.
    //   GetPlanoVoo(&"G3;JJ", "", 2024-05-01 00:00, "0001")
    // Texts in double quotes, by-reference arguments marked with &, date-times
    // as yyyy-MM-dd hh:mm (seconds and milliseconds only when not zero),
    // numbers as QString::number gives them, null as null.
    QString toString() const;
};

// What the server does with one call.
class Answer
{
public:
    static Answer packet(const TestPacket &packet);
    // A packet with no fields and no rows.
    static Answer emptyPacket();
    // The method ran and refused, with this message for the user.
    static Answer failure(const QString &message);
    // A transport-level error instead of a reply (e.g. UNAUTHENTICATED).
    static Answer status(grpc::StatusCode code, const QString &message = {});
    // Any reply at all, malformed ones included.
    static Answer raw(const ate::appserver::v1::CallReply &reply);

    // Waits this long before answering (deadline tests). The wait ends early
    // when the client gives up or the server stops.
    Answer &after(std::chrono::milliseconds delay);
    // The values written back to the by-reference arguments, in their order;
    // by default the server echoes what it received.
    Answer &writingBack(const QVariantList &values);

private:
    friend class ScriptedServer;
    Answer() = default;

    std::shared_ptr<const ate::appserver::v1::CallReply> m_reply;
    std::optional<grpc::StatusCode> m_status;
    QString m_statusMessage;
    std::chrono::milliseconds m_delay{0};
    std::optional<QVariantList> m_writeBack;
    bool m_raw = false;
};

using Handler = std::function<Answer(const RecordedCall &call)>;

// A real application server for tests: gRPC on 127.0.0.1 with an ephemeral
// port, in this process on its own threads. It records every call it
// receives and answers from a script. For each method, queued answers are
// used first, in order; then the method's handler, if any; otherwise the
// call fails with "Chamada não prevista: <method>".
//
//     ScriptedServer server;
//     server.enqueue("GetPlanoVoo", Answer::packet(TestPacket().text("CDCIA", 4).row({"G3"})));
//     server.setDefault("GetPrevPax", Answer::emptyPacket());
//     server.start();
//     connection.SetHost(server.host());
//     connection.setPort(server.port());
//     ...
//     EXPECT_EQ(server.callStrings(), QStringList({"GetPlanoVoo(\"\", \"T\", ...)", ...}));
//
// All members may be called from the test's thread while calls arrive.
class ScriptedServer
{
public:
    ScriptedServer();
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer &) = delete;
    ScriptedServer &operator=(const ScriptedServer &) = delete;

    // Serve over TLS with this certificate chain and key (PEM); before start().
    void useTls(const QByteArray &certificateChain, const QByteArray &privateKey);

    // Starts listening; the first start picks a free port, later ones reuse
    // it. Throws std::runtime_error when the port cannot be bound.
    void start();
    // Ends calls in progress (delayed answers included) and stops listening.
    void stop();
    // stop() then start() on the same port.
    void restart();
    bool isRunning() const;

    QString host() const { return QStringLiteral("127.0.0.1"); }
    int port() const;

    // The script.
    void enqueue(const QString &method, const Answer &answer);
    void setDefault(const QString &method, const Answer &answer);
    void setHandler(const QString &method, Handler handler);
    void clearScript();

    // The log.
    QList<RecordedCall> calls() const;
    QStringList methods() const;     // method names in arrival order
    QStringList callStrings() const; // RecordedCall::toString() of each call
    int callCount(const QString &method = {}) const;
    RecordedCall lastCall() const; // throws std::logic_error when none
    void clearCalls();

private:
    class Service;
    struct State;

    std::shared_ptr<State> m_state;
    std::unique_ptr<Service> m_service;
    std::unique_ptr<grpc::Server> m_server;
};

} // namespace host::testing
