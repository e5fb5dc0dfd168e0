#include "testing/net/scripted_server.h"

#include "host/net/wire_values.h"
#include "proto/appserver.grpc.pb.h"

#include <grpcpp/grpcpp.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>

namespace host::testing {

namespace pb = ate::appserver::v1;

namespace {

QString describe(const QVariant &value)
{
    if (!value.isValid())
        return QStringLiteral("null");
    switch (value.typeId()) {
    case QMetaType::QString:
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        const QTime t = dt.time();
        const char *format = t.msec() != 0     ? "yyyy-MM-dd hh:mm:ss.zzz"
                             : t.second() != 0 ? "yyyy-MM-dd hh:mm:ss"
                                               : "yyyy-MM-dd hh:mm";
        return dt.toString(QLatin1String(format));
    }
    case QMetaType::Double:
        return QString::number(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return value.toString();
    }
}

} // namespace

QVariantList RecordedCall::values() const
{
    QVariantList list;
    for (const RecordedArgument &argument : arguments)
        list.append(argument.value);
    return list;
}

QByteArray RecordedCall::authorization() const
{
    return metadata.value("authorization");
}

QString RecordedCall::toString() const
{
    QStringList parts;
    for (const RecordedArgument &argument : arguments)
        parts.append((argument.byReference ? QStringLiteral("&") : QString())
                     + describe(argument.value));
    return method + QLatin1Char('(') + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

Answer Answer::packet(const TestPacket &packet)
{
    auto reply = std::make_shared<pb::CallReply>();
    *reply->mutable_packet() = packet.toWire();
    Answer answer;
    answer.m_reply = std::move(reply);
    return answer;
}

Answer Answer::emptyPacket()
{
    return packet(TestPacket());
}

Answer Answer::failure(const QString &message)
{
    auto reply = std::make_shared<pb::CallReply>();
    reply->mutable_failure()->set_message(message.toStdString());
    Answer answer;
    answer.m_reply = std::move(reply);
    return answer;
}

Answer Answer::status(grpc::StatusCode code, const QString &message)
{
    Answer answer;
    answer.m_status = code;
    answer.m_statusMessage = message;
    return answer;
}

Answer Answer::raw(const pb::CallReply &reply)
{
    Answer answer;
    answer.m_reply = std::make_shared<pb::CallReply>(reply);
    answer.m_raw = true;
    return answer;
}

Answer &Answer::after(std::chrono::milliseconds delay)
{
    m_delay = delay;
    return *this;
}

Answer &Answer::writingBack(const QVariantList &values)
{
    m_writeBack = values;
    return *this;
}

// Shared with the service so that a call still running holds the script
// and the log alive.
struct ScriptedServer::State
{
    mutable std::mutex mutex;
    std::condition_variable stopping; // wakes delayed answers
    bool stopRequested = false;
    std::map<QString, std::deque<Answer>> queued;
    std::map<QString, Handler> handlers;
    QList<RecordedCall> calls;
    int port = 0;
    std::string certificateChain; // PEM; empty: plain
    std::string privateKey;

    Answer answerFor(const RecordedCall &call)
    {
        Handler handler;
        {
            const std::lock_guard lock(mutex);
            calls.append(call);
            auto queue = queued.find(call.method);
            if (queue != queued.end() && !queue->second.empty()) {
                Answer answer = queue->second.front();
                queue->second.pop_front();
                return answer;
            }
            auto found = handlers.find(call.method);
            if (found != handlers.end())
                handler = found->second;
        }
        // Outside the lock: a handler may read the log. A handler that
        // throws must not take the server's thread down with it.
        if (handler) {
            try {
                return handler(call);
            } catch (const std::exception &error) {
                return Answer::status(grpc::StatusCode::INTERNAL,
                                      QStringLiteral("scripted handler failed: %1")
                                          .arg(QString::fromUtf8(error.what())));
            }
        }
        return Answer::failure(QStringLiteral("Chamada não prevista: %1").arg(call.method));
    }

    // False when the wait was cut short by a stop or by the client leaving.
    bool wait(std::chrono::milliseconds delay, grpc::ServerContext *context)
    {
        const auto until = std::chrono::steady_clock::now() + delay;
        std::unique_lock lock(mutex);
        while (!stopRequested && !context->IsCancelled()) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= until)
                return true;
            // Cancellation is not signalled to us: look again now and then.
            stopping.wait_for(lock, std::min<std::chrono::steady_clock::duration>(
                                        until - now, std::chrono::milliseconds(10)));
        }
        return false;
    }
};

class ScriptedServer::Service final : public pb::AppServer::Service
{
public:
    explicit Service(std::shared_ptr<State> state)
        : m_state(std::move(state))
    {
    }

    grpc::Status Call(grpc::ServerContext *context, const pb::CallRequest *request,
                      pb::CallReply *reply) override
    {
        RecordedCall call;
        call.module = QString::fromStdString(request->module());
        call.method = QString::fromStdString(request->method());
        for (const pb::Argument &argument : request->arguments())
            call.arguments.append({fromWireValue(argument.value()), argument.by_reference()});
        for (const auto &[key, value] : context->client_metadata())
            call.metadata.insert(QByteArray(key.data(), static_cast<qsizetype>(key.size())),
                                 QByteArray(value.data(), static_cast<qsizetype>(value.size())));

        const Answer answer = m_state->answerFor(call);
        if (answer.m_delay.count() > 0 && !m_state->wait(answer.m_delay, context))
            return grpc::Status(grpc::StatusCode::CANCELLED,
                                "scripted server stopped or client gone");
        if (answer.m_status)
            return grpc::Status(*answer.m_status, answer.m_statusMessage.toStdString());
        if (answer.m_reply)
            *reply = *answer.m_reply;
        if (!answer.m_raw) {
            QVariantList values;
            if (answer.m_writeBack) {
                values = *answer.m_writeBack;
            } else {
                for (const RecordedArgument &argument : call.arguments) {
                    if (argument.byReference)
                        values.append(argument.value);
                }
            }
            for (const QVariant &value : values) {
                if (!toWireValue(value, reply->add_by_reference()))
                    return grpc::Status(grpc::StatusCode::INTERNAL,
                                        "scripted write-back value of an unsupported type");
            }
        }
        return grpc::Status::OK;
    }

private:
    std::shared_ptr<State> m_state;
};

ScriptedServer::ScriptedServer()
    : m_state(std::make_shared<State>())
{
}

ScriptedServer::~ScriptedServer()
{
    stop();
}

void ScriptedServer::useTls(const QByteArray &certificateChain, const QByteArray &privateKey)
{
    const std::lock_guard lock(m_state->mutex);
    m_state->certificateChain = certificateChain.toStdString();
    m_state->privateKey = privateKey.toStdString();
}

void ScriptedServer::start()
{
    if (m_server)
        return;
    std::shared_ptr<grpc::ServerCredentials> credentials;
    int port = 0;
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->stopRequested = false;
        port = m_state->port;
        if (m_state->certificateChain.empty()) {
            credentials = grpc::InsecureServerCredentials();
        } else {
            grpc::SslServerCredentialsOptions options;
            options.pem_key_cert_pairs.push_back({m_state->privateKey, m_state->certificateChain});
            credentials = grpc::SslServerCredentials(options);
        }
    }

    auto service = std::make_unique<Service>(m_state);
    grpc::ServerBuilder builder;
    int selectedPort = 0;
    builder.AddListeningPort("127.0.0.1:" + std::to_string(port), credentials, &selectedPort);
    builder.RegisterService(service.get());
    builder.SetMaxSendMessageSize(64 * 1024 * 1024);
    // A polling thread that misses the shutdown sleeps out its poll, 10 s
    // by default: that was a test's teardown now and then.
    builder.SetSyncServerOption(grpc::ServerBuilder::SyncServerOption::CQ_TIMEOUT_MSEC, 50);
    std::unique_ptr<grpc::Server> server = builder.BuildAndStart();
    if (!server || selectedPort == 0)
        throw std::runtime_error("ScriptedServer: cannot listen on 127.0.0.1:"
                                 + std::to_string(port));
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->port = selectedPort;
    }
    m_service = std::move(service);
    m_server = std::move(server);
}

void ScriptedServer::stop()
{
    if (!m_server)
        return;
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->stopRequested = true;
    }
    m_state->stopping.notify_all();
    m_server->Shutdown(std::chrono::system_clock::now() + std::chrono::seconds(1));
    m_server->Wait();
    m_server.reset();
    m_service.reset();
}

void ScriptedServer::restart()
{
    stop();
    start();
}

bool ScriptedServer::isRunning() const
{
    return m_server != nullptr;
}

int ScriptedServer::port() const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->port;
}

void ScriptedServer::enqueue(const QString &method, const Answer &answer)
{
    const std::lock_guard lock(m_state->mutex);
    m_state->queued[method].push_back(answer);
}

void ScriptedServer::setDefault(const QString &method, const Answer &answer)
{
    setHandler(method, [answer](const RecordedCall &) { return answer; });
}

void ScriptedServer::setHandler(const QString &method, Handler handler)
{
    const std::lock_guard lock(m_state->mutex);
    m_state->handlers[method] = std::move(handler);
}

void ScriptedServer::clearScript()
{
    const std::lock_guard lock(m_state->mutex);
    m_state->queued.clear();
    m_state->handlers.clear();
}

QList<RecordedCall> ScriptedServer::calls() const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->calls;
}

QStringList ScriptedServer::methods() const
{
    QStringList names;
    for (const RecordedCall &call : calls())
        names.append(call.method);
    return names;
}

QStringList ScriptedServer::callStrings() const
{
    QStringList lines;
    for (const RecordedCall &call : calls())
        lines.append(call.toString());
    return lines;
}

int ScriptedServer::callCount(const QString &method) const
{
    const std::lock_guard lock(m_state->mutex);
    if (method.isEmpty())
        return static_cast<int>(m_state->calls.size());
    return static_cast<int>(
        std::count_if(m_state->calls.cbegin(), m_state->calls.cend(),
                      [&](const RecordedCall &call) { return call.method == method; }));
}

RecordedCall ScriptedServer::lastCall() const
{
    const std::lock_guard lock(m_state->mutex);
    if (m_state->calls.isEmpty())
        throw std::logic_error("ScriptedServer: no call received");
    return m_state->calls.last();
}

void ScriptedServer::clearCalls()
{
    const std::lock_guard lock(m_state->mutex);
    m_state->calls.clear();
}

} // namespace host::testing
