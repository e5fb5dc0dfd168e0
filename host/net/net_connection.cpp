#include "host/net/net_connection.h"

#include "host/net/call_codec.h"
#include "host/net/net_log.h"
#include "host/net/server_channel.h"
#include "platform/abort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <mutex>

Q_LOGGING_CATEGORY(host::lcNet, "ate.net", QtInfoMsg)

namespace host {
namespace {

std::mutex g_defaultsMutex;
ConnectionOptions g_defaults;

} // namespace

TNetConnection::TNetConnection(QObject *parent)
    : QObject(parent)
    , m_options(defaultOptions())
{
}

TNetConnection::~TNetConnection() = default;

void TNetConnection::setDefaultOptions(const ConnectionOptions &options)
{
    const std::lock_guard lock(g_defaultsMutex);
    g_defaults = options;
}

ConnectionOptions TNetConnection::defaultOptions()
{
    const std::lock_guard lock(g_defaultsMutex);
    return g_defaults;
}

std::vector<Endpoint> TNetConnection::endpoints() const
{
    return parseEndpoints(m_host, m_port);
}

QString TNetConnection::serverAddress() const
{
    return formatEndpoints(endpoints());
}

void TNetConnection::setTlsRootCertificateFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw platform::Error(
            QCoreApplication::translate(
                "TNetConnection",
                "Não foi possível ler o certificado do servidor de aplicação %1 (%2).")
                .arg(path, file.errorString()));
    m_options.tlsRootCertificates = file.readAll();
    m_options.tls = true;
}

bool TNetConnection::isConnected() const
{
    return m_channel != nullptr;
}

void TNetConnection::disconnect()
{
    m_channel.reset();
}

void TNetConnection::connect()
{
    if (isConnected())
        return;
    if (m_beforeConnect)
        m_beforeConnect(*this);
    QElapsedTimer clock;
    clock.start();
    try {
        openChannel();
    } catch (const platform::Error &error) {
        qCInfo(lcNet).noquote() << "connect to" << serverAddress() << "failed after"
                                << clock.elapsed() << "ms:" << error.message();
        throw;
    }
    qCInfo(lcNet).noquote() << "connected to" << serverAddress()
                            << (m_options.tls ? "over TLS in" : "in") << clock.elapsed() << "ms";
}

void TNetConnection::openChannel()
{
    // Queued to this object's thread; dropped if it is gone by then.
    m_channel = ServerChannel::open(endpoints(), serverAddress(), m_options, [this] {
        QMetaObject::invokeMethod(
            this, [this] { emit feedChanged(); }, Qt::QueuedConnection);
    });
}

FeedStatus TNetConnection::feedStatus() const
{
    return m_channel ? m_channel->held().status() : FeedStatus{};
}

bool TNetConnection::prefetchSettled() const
{
    Prefetcher *prefetcher = m_channel ? m_channel->prefetcher() : nullptr;
    return !prefetcher || prefetcher->settled();
}

std::uint64_t TNetConnection::prefetchedBytes() const
{
    Prefetcher *prefetcher = m_channel ? m_channel->prefetcher() : nullptr;
    return prefetcher ? prefetcher->bytesReceived() : 0;
}

void TNetConnection::prefetch(const std::vector<std::pair<QString, std::vector<ServerArg>>> &calls)
{
    // Kept even while the feed has not said its first word (the first load
    // comes before it does): the reads wait until it vouches for them.
    Prefetcher *prefetcher = m_channel ? m_channel->prefetcher() : nullptr;
    if (!prefetcher)
        return;
    std::vector<Prefetcher::Job> jobs;
    jobs.reserve(calls.size());
    for (const auto &[method, arguments] : calls) {
        ServerReply failed;
        std::optional<ate::appserver::v1::CallRequest> request =
            encodeCall(m_serverName, method, arguments, &failed);
        if (!request)
            continue;
        Prefetcher::Job job;
        request->SerializeToString(&job.key);
        job.request = std::move(*request);
        jobs.push_back(std::move(job));
    }
    prefetcher->setWindow(std::move(jobs));
}

namespace {

const char *statusName(ServerReply::Status status)
{
    switch (status) {
    case ServerReply::Status::Ok:
        return "ok";
    case ServerReply::Status::ServerFailure:
        return "refused by the server";
    case ServerReply::Status::TransportFailure:
        return "transport failure";
    case ServerReply::Status::InvalidReply:
        return "invalid reply";
    case ServerReply::Status::InvalidArgument:
        return "invalid argument";
    }
    return "?";
}

} // namespace

ServerReply AppServer::invoke(const QString &method, const std::vector<ServerArg> &arguments)
{
    QElapsedTimer clock;
    clock.start();
    ServerReply reply = m_connection.call(method, arguments);
    // Failures are info lines as well: the box the user sees logs them as
    // an error, and a dead server must not flood the log with warnings.
    if (reply.ok())
        qCInfo(lcNet).noquote() << "call" << m_connection.serverName() + QLatin1Char('.') + method
                                << "on" << m_connection.serverAddress()
                                << (reply.held ? "held:" : "ok:") << reply.packet.rowCount
                                << "rows in" << clock.elapsed() << "ms";
    else
        qCInfo(lcNet).noquote()
            << "call" << m_connection.serverName() + QLatin1Char('.') + method << "on"
            << m_connection.serverAddress()
            << QStringLiteral("failed (%1) in").arg(QLatin1String(statusName(reply.status)))
            << clock.elapsed() << "ms:" << reply.message;
    m_connection.noteOutcome(reply);
    if (!reply.ok() && m_connection.throwException())
        throw platform::Error(reply.message);
    return reply;
}

void TNetConnection::noteOutcome(const ServerReply &reply)
{
    const QDateTime now = QDateTime::currentDateTime();
    m_health.lastCall = now;
    m_health.lastCallOk = reply.ok();
    if (reply.ok()) {
        m_health.lastSuccess = now;
        m_health.failingSince = QDateTime();
        m_health.lastFailure.clear();
    } else {
        if (m_health.failingSince.isNull())
            m_health.failingSince = now;
        m_health.lastFailure = reply.message;
    }
    emit callFinished();
}

ServerReply TNetConnection::call(const QString &method, const std::vector<ServerArg> &arguments)
{
    if (!isConnected()) {
        try {
            connect();
        } catch (const platform::Error &error) {
            return ServerReply::failure(ServerReply::Status::TransportFailure, error.message());
        }
    }
    return callConnected(method, arguments);
}

ServerReply TNetConnection::callConnected(const QString &method,
                                          const std::vector<ServerArg> &arguments)
{
    ServerReply failed;
    const std::optional<ate::appserver::v1::CallRequest> request =
        encodeCall(m_serverName, method, arguments, &failed);
    if (!request)
        return failed;
    // Only replies without values written back are held: those would
    // have to be written back again.
    const bool holdable =
        std::none_of(arguments.begin(), arguments.end(),
                     [](const ServerArg &argument) { return argument.byReference(); });
    std::string key;
    if (holdable) {
        request->SerializeToString(&key);
        if (std::optional<platform::DataPacket> packet = m_channel->held().find(key)) {
            ServerReply reply = ServerReply::success(std::move(*packet));
            reply.held = true;
            return reply;
        }
    }
    ++m_serverCalls;
    grpc::ByteBuffer received;
    // The background reads wait while the user does.
    Prefetcher *prefetcher = m_channel->prefetcher();
    if (prefetcher)
        prefetcher->userCallStarted();
    const grpc::Status status = m_channel->call(
        *request,
        std::chrono::system_clock::now() + std::chrono::milliseconds(m_options.deadlineMs),
        &received);
    if (prefetcher)
        prefetcher->userCallEnded();
    if (!status.ok())
        return ServerReply::failure(
            ServerReply::Status::TransportFailure,
            QCoreApplication::translate(
                "TNetConnection", "Não foi possível comunicar com o servidor de aplicação %1 (%2).")
                .arg(serverAddress(), transportReason(status)));
    FeedTag tag;
    ServerReply reply = decodeReply(*request, method, arguments, received, m_channel->memo(),
                                    serverAddress(), &tag);
    if (holdable && reply.ok())
        m_channel->held().offer(std::move(key), tag, reply.packet);
    return reply;
}

} // namespace host
