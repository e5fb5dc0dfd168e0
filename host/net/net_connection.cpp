#include "host/net/net_connection.h"

#include "host/net/net_log.h"
#include "host/net/reply_memo.h"
#include "host/net/wire_values.h"
#include "platform/abort.h"
#include "proto/appserver.grpc.pb.h"

#include <grpcpp/grpcpp.h>
#include <grpcpp/impl/client_unary_call.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <mutex>

Q_LOGGING_CATEGORY(host::lcNet, "ate.net", QtInfoMsg)

namespace host {
namespace {

// A day's reply for a busy branch can outgrow gRPC's 4 MiB default.
constexpr int kMaxReceiveBytes = 64 * 1024 * 1024;
// gRPC's default backoff (1 s growing to 120 s) kept a restarted server
// unreachable for seconds; the refresh after a restart must get through.
constexpr int kInitialReconnectBackoffMs = 100;
constexpr int kMaxReconnectBackoffMs = 500;

// How long a call waits for a reconnection it has just started to a server
// that accepts connections again; a restarted server under load needed more
// than 300 ms to complete one.
constexpr int kReconnectWaitMs = 2000;

// A synchronous client has no thread watching its channel between calls:
// gRPC then notices that a connection attempt to a restarted server
// succeeded only at its background poll, every 5 s by default, and calls
// fail meanwhile. gRPC reads the interval once, when it starts, and only
// from the environment: set here, as the library loads, before any channel
// exists; an operator's own setting is kept.
[[maybe_unused]] const bool g_backupPollSet = [] {
    ::setenv("GRPC_CLIENT_CHANNEL_BACKUP_POLL_INTERVAL_MS", "100", 0);
    return true;
}();

std::mutex g_defaultsMutex;
ConnectionOptions g_defaults;

std::chrono::system_clock::time_point deadlineFromNow(int msecs)
{
    return std::chrono::system_clock::now() + std::chrono::milliseconds(msecs);
}

bool isLoopback(QString host)
{
    host = host.trimmed().toLower();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host == QLatin1String("localhost") || host == QLatin1String("::1"))
        return true;
    // 127.0.0.0/8, written as a dotted quad.
    const QStringList parts = host.split(QLatin1Char('.'));
    if (parts.size() != 4 || parts.first() != QLatin1String("127"))
        return false;
    for (const QString &part : parts) {
        bool number = false;
        const int byte = part.toInt(&number);
        if (!number || byte < 0 || byte > 255)
            return false;
    }
    return true;
}

QString transportReason(const grpc::Status &status)
{
    switch (status.error_code()) {
    case grpc::StatusCode::UNAVAILABLE:
        return QCoreApplication::translate("TNetConnection", "servidor indisponível");
    case grpc::StatusCode::DEADLINE_EXCEEDED:
        return QCoreApplication::translate("TNetConnection", "tempo de resposta esgotado");
    case grpc::StatusCode::UNAUTHENTICATED:
        return QCoreApplication::translate("TNetConnection", "acesso não autenticado");
    case grpc::StatusCode::PERMISSION_DENIED:
        return QCoreApplication::translate("TNetConnection", "acesso negado");
    case grpc::StatusCode::RESOURCE_EXHAUSTED:
        return QCoreApplication::translate("TNetConnection", "limite de recursos excedido: %1")
            .arg(QString::fromStdString(status.error_message()));
    case grpc::StatusCode::UNIMPLEMENTED:
        return QCoreApplication::translate("TNetConnection",
                                           "serviço desconhecido por este servidor");
    default:
        return QCoreApplication::translate("TNetConnection", "erro %1: %2")
            .arg(static_cast<int>(status.error_code()))
            .arg(QString::fromStdString(status.error_message()));
    }
}

// Whether any of the servers accepts a TCP connection now, waiting until
// `limit` at most. gRPC does not tell when its own attempt fails (the
// channel stays in its failure state), so this tells a dead server (refused
// at once) from one that is only slow to complete the connection.
bool anyServerListening(const std::vector<TNetConnection::Endpoint> &list,
                        std::chrono::system_clock::time_point limit)
{
    std::vector<pollfd> sockets;
    for (const TNetConnection::Endpoint &endpoint : list) {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *found = nullptr;
        const QByteArray port = QByteArray::number(endpoint.port);
        if (getaddrinfo(endpoint.host.toUtf8().constData(), port.constData(), &hints, &found) != 0)
            continue;
        for (addrinfo *a = found; a; a = a->ai_next) {
            const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                    a->ai_protocol);
            if (fd < 0)
                continue;
            if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
                ::close(fd);
                for (const pollfd &open : sockets)
                    ::close(open.fd);
                freeaddrinfo(found);
                return true;
            }
            if (errno == EINPROGRESS)
                sockets.push_back({fd, POLLOUT, 0});
            else
                ::close(fd);
        }
        freeaddrinfo(found);
    }
    bool listening = false;
    while (!sockets.empty() && !listening) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              limit - std::chrono::system_clock::now())
                              .count();
        if (left <= 0 || ::poll(sockets.data(), sockets.size(), static_cast<int>(left)) <= 0)
            break;
        for (auto it = sockets.begin(); it != sockets.end();) {
            if (it->revents == 0) {
                ++it;
                continue;
            }
            int error = 0;
            socklen_t size = sizeof error;
            ::getsockopt(it->fd, SOL_SOCKET, SO_ERROR, &error, &size);
            listening = listening || error == 0;
            ::close(it->fd);
            it = sockets.erase(it);
        }
    }
    for (const pollfd &open : sockets)
        ::close(open.fd);
    return listening;
}

} // namespace

struct TNetConnection::Channel
{
    std::shared_ptr<grpc::Channel> channel;
    // The service's one method, called for its reply's bytes: a reply that
    // repeats the last one to the same request is not decoded again.
    std::unique_ptr<grpc::internal::RpcMethod> call;
    ReplyMemo memo;
    std::string authorization; // metadata value, empty: none
};

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

std::vector<TNetConnection::Endpoint> TNetConnection::endpoints() const
{
    std::vector<Endpoint> list;
    for (QString entry : m_host.split(QLatin1Char(','))) {
        entry = entry.trimmed();
        Endpoint endpoint{entry, m_port};
        // "name:port" or "[v6]:port" bring their own port; a bare IPv6
        // literal has colons of its own.
        const int colon = entry.lastIndexOf(QLatin1Char(':'));
        const bool bracketed = entry.startsWith(QLatin1Char('['));
        const bool hasPort = colon > 0
                             && (bracketed ? entry.lastIndexOf(QLatin1Char(']')) == colon - 1
                                           : entry.indexOf(QLatin1Char(':')) == colon);
        if (hasPort) {
            bool number = false;
            endpoint.port = entry.mid(colon + 1).toInt(&number);
            if (!number)
                endpoint.port = 0;
            endpoint.host = entry.left(colon);
        }
        if (endpoint.host.startsWith(QLatin1Char('[')) && endpoint.host.endsWith(QLatin1Char(']')))
            endpoint.host = endpoint.host.mid(1, endpoint.host.size() - 2);
        list.push_back(endpoint);
    }
    return list;
}

QString TNetConnection::serverAddress() const
{
    QStringList shown;
    for (const Endpoint &endpoint : endpoints()) {
        // An IPv6 literal needs brackets before the port.
        const bool ipv6 = endpoint.host.contains(QLatin1Char(':'));
        shown << (ipv6 ? QStringLiteral("[%1]").arg(endpoint.host) : endpoint.host)
                     + QLatin1Char(':') + QString::number(endpoint.port);
    }
    return shown.join(QStringLiteral(", "));
}

namespace {

// Several servers: gRPC's own resolvers take one name (which may resolve
// to several addresses) or a list of literal addresses, so names in a list
// are resolved here, at each connect. Empty when none resolves.
std::string addressListTarget(const std::vector<TNetConnection::Endpoint> &list)
{
    QStringList v4, v6;
    for (const TNetConnection::Endpoint &endpoint : list) {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *found = nullptr;
        if (getaddrinfo(endpoint.host.toUtf8().constData(), nullptr, &hints, &found) != 0)
            continue;
        for (addrinfo *a = found; a; a = a->ai_next) {
            char text[NI_MAXHOST];
            if (getnameinfo(a->ai_addr, a->ai_addrlen, text, sizeof text, nullptr, 0,
                            NI_NUMERICHOST)
                != 0)
                continue;
            const QString address = QString::fromLatin1(text);
            if (a->ai_family == AF_INET)
                v4 << QStringLiteral("%1:%2").arg(address).arg(endpoint.port);
            else if (a->ai_family == AF_INET6)
                v6 << QStringLiteral("[%1]:%2").arg(address).arg(endpoint.port);
        }
        freeaddrinfo(found);
    }
    v4.removeDuplicates();
    v6.removeDuplicates();
    // One list holds one family; IPv4 is what a LAN of servers has.
    if (!v4.isEmpty())
        return "ipv4:" + v4.join(QLatin1Char(',')).toStdString();
    if (!v6.isEmpty())
        return "ipv6:" + v6.join(QLatin1Char(',')).toStdString();
    return {};
}

} // namespace

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
    const auto refuse = [this](const QString &reason) {
        return platform::Error(
            QCoreApplication::translate(
                "TNetConnection", "Não foi possível conectar ao servidor de aplicação %1 (%2).")
                .arg(serverAddress(), reason));
    };
    const std::vector<Endpoint> list = endpoints();
    for (const Endpoint &endpoint : list) {
        if (endpoint.host.isEmpty())
            throw refuse(QCoreApplication::translate("TNetConnection",
                                                     "endereço do servidor não informado"));
        if (endpoint.port < 1 || endpoint.port > 65535)
            throw refuse(QCoreApplication::translate("TNetConnection", "porta inválida"));
        if (!m_options.bearerToken.isEmpty() && !m_options.tls && !isLoopback(endpoint.host))
            throw refuse(QCoreApplication::translate(
                "TNetConnection",
                "o token de acesso só é enviado por conexão segura; ative o TLS"));
    }
    std::string target = serverAddress().toStdString();
    if (list.size() > 1) {
        target = addressListTarget(list);
        if (target.empty())
            throw refuse(QCoreApplication::translate("TNetConnection",
                                                     "nenhum dos endereços foi encontrado"));
    }

    std::shared_ptr<grpc::ChannelCredentials> credentials;
    if (m_options.tls) {
        grpc::SslCredentialsOptions ssl;
        ssl.pem_root_certs = m_options.tlsRootCertificates.toStdString();
        credentials = grpc::SslCredentials(ssl);
    } else {
        credentials = grpc::InsecureChannelCredentials();
    }

    grpc::ChannelArguments arguments;
    arguments.SetMaxReceiveMessageSize(kMaxReceiveBytes);
    arguments.SetInt(GRPC_ARG_INITIAL_RECONNECT_BACKOFF_MS, kInitialReconnectBackoffMs);
    arguments.SetInt(GRPC_ARG_MAX_RECONNECT_BACKOFF_MS, kMaxReconnectBackoffMs);
    // gRPC reads this one as the shortest time a connection attempt is
    // given, not as a backoff.
    arguments.SetInt(GRPC_ARG_MIN_RECONNECT_BACKOFF_MS,
                     std::max(kInitialReconnectBackoffMs, m_options.connectAttemptTimeoutMs));
    // Two connections must not share a subchannel and its backoff state.
    arguments.SetInt(GRPC_ARG_USE_LOCAL_SUBCHANNEL_POOL, 1);
    // Several servers (a list, or a name with several addresses): calls go
    // round them, skipping those that do not answer.
    arguments.SetLoadBalancingPolicyName("round_robin");
    if (list.size() > 1 && m_options.tls)
        arguments.SetSslTargetNameOverride(list.front().host.toStdString());

    auto channel = std::make_unique<Channel>();
    channel->channel = grpc::CreateCustomChannel(target, credentials, arguments);

    const auto deadline = deadlineFromNow(m_options.deadlineMs);
    for (grpc_connectivity_state state = channel->channel->GetState(true);
         state != GRPC_CHANNEL_READY; state = channel->channel->GetState(true)) {
        // The first failed attempt settles it: waiting on for the deadline
        // would only freeze the screen longer.
        if (state == GRPC_CHANNEL_TRANSIENT_FAILURE || state == GRPC_CHANNEL_SHUTDOWN)
            throw refuse(m_options.tls ? QCoreApplication::translate(
                             "TNetConnection", "servidor indisponível ou certificado não aceito")
                                       : QCoreApplication::translate("TNetConnection",
                                                                     "servidor indisponível"));
        if (!channel->channel->WaitForStateChange(state, deadline))
            throw refuse(
                QCoreApplication::translate("TNetConnection", "tempo de conexão esgotado"));
    }
    channel->call = std::make_unique<grpc::internal::RpcMethod>(
        "/ate.appserver.v1.AppServer/Call", grpc::internal::RpcMethod::NORMAL_RPC,
        channel->channel);
    if (!m_options.bearerToken.isEmpty())
        channel->authorization = "Bearer " + m_options.bearerToken.toStdString();
    m_channel = std::move(channel);
}

constexpr int kReconnectProbes = 3;

bool TNetConnection::awaitReconnection(std::chrono::system_clock::time_point deadline,
                                       bool retryFailed)
{
    grpc::Channel &channel = *m_channel->channel;
    grpc_connectivity_state state = channel.GetState(true);
    if (state == GRPC_CHANNEL_READY)
        return true;
    if (state == GRPC_CHANNEL_SHUTDOWN)
        return false;
    // A channel that failed before waits out its backoff before it tries
    // again, and fails every call meanwhile: after a server restart the
    // call that finds it so tries at once instead.
    // A resend after a lost call does not: its server has just gone, and
    // another one would show as connected.
    const auto limit = std::min(deadline, deadlineFromNow(kReconnectWaitMs));
    QElapsedTimer clock;
    clock.start();
    const auto gaveUp = [&] {
        qCInfo(lcNet).noquote() << "reconnection to" << serverAddress() << "not made after"
                                << clock.elapsed() << "ms";
        return false;
    };
    // An attempt begun before the server listened again fails after the
    // call began, and so may one made while the server is still starting:
    // a few more tries then, each only when a server accepts.
    int probes = 0;
    const auto tryAgain = [&] {
        if (!retryFailed || probes >= kReconnectProbes)
            return false;
        ++probes;
        if (!anyServerListening(endpoints(), limit))
            return false;
        grpc::experimental::ChannelResetConnectionBackoff(&channel);
        return true;
    };
    if (state == GRPC_CHANNEL_TRANSIENT_FAILURE && !tryAgain())
        return gaveUp();
    while (state != GRPC_CHANNEL_READY) {
        if (!channel.WaitForStateChange(state, limit))
            return gaveUp();
        state = channel.GetState(true);
        // The attempt failed: the call then fails at once too.
        if (state == GRPC_CHANNEL_TRANSIENT_FAILURE && !tryAgain())
            return gaveUp();
    }
    qCInfo(lcNet).noquote() << "reconnected to" << serverAddress() << "in" << clock.elapsed()
                            << "ms";
    return true;
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
                                << "ok:" << reply.packet.rowCount << "rows in" << clock.elapsed()
                                << "ms";
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
    namespace pb = ate::appserver::v1;

    pb::CallRequest request;
    request.set_module(m_serverName.toStdString());
    request.set_method(method.toStdString());
    int byReference = 0;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        pb::Argument *argument = request.add_arguments();
        argument->set_by_reference(arguments[i].byReference());
        byReference += arguments[i].byReference() ? 1 : 0;
        if (!toWireValue(arguments[i].value(), argument->mutable_value()))
            return ServerReply::failure(
                ServerReply::Status::InvalidArgument,
                QCoreApplication::translate(
                    "TNetConnection",
                    "O argumento %1 de %2 tem um valor que não pode ser enviado ao "
                    "servidor de aplicação.")
                    .arg(i + 1)
                    .arg(method));
    }

    const auto deadline = deadlineFromNow(m_options.deadlineMs);
    grpc::ByteBuffer received;
    grpc::Status status;
    // Every method of the remote data module only reads, so a call the
    // transport lost is sent again, on a fresh connection or to another
    // server (whose loss gRPC may not have noticed yet, hence a third try).
    // That is worth it only while the channel looks connected: one found
    // failing has just failed to connect to any server.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const bool lookedConnected = awaitReconnection(deadline, attempt == 0);
        grpc::ClientContext context;
        context.set_deadline(deadline);
        if (!m_channel->authorization.empty())
            context.AddMetadata("authorization", m_channel->authorization);
        received.Clear();
        status = grpc::internal::BlockingUnaryCall<pb::CallRequest, grpc::ByteBuffer>(
            m_channel->channel.get(), *m_channel->call, &context, request, &received);
        if (status.error_code() != grpc::StatusCode::UNAVAILABLE || !lookedConnected
            || std::chrono::system_clock::now() >= deadline)
            break;
    }
    if (!status.ok())
        return ServerReply::failure(
            ServerReply::Status::TransportFailure,
            QCoreApplication::translate(
                "TNetConnection", "Não foi possível comunicar com o servidor de aplicação %1 (%2).")
                .arg(serverAddress(), transportReason(status)));

    const auto invalid = [&](const QString &why) {
        return ServerReply::failure(
            ServerReply::Status::InvalidReply,
            QCoreApplication::translate(
                "TNetConnection",
                "O servidor de aplicação %1 enviou uma resposta inválida para %2 (%3).")
                .arg(serverAddress(), method, why));
    };
    std::string requestKey;
    request.SerializeToString(&requestKey);
    ReplyMemo::Reply decoded;
    const ReplyMemo::Reply *reply = m_channel->memo.find(requestKey, received);
    if (!reply) {
        std::string bytes = flatten(received);
        pb::CallReply &answer = decoded.message;
        if (!answer.ParseFromString(bytes))
            return invalid(QCoreApplication::translate("TNetConnection", "resposta ilegível"));
        switch (answer.result_case()) {
        case pb::CallReply::kFailure: {
            QString message = QString::fromStdString(answer.failure().message());
            if (message.trimmed().isEmpty())
                message = QCoreApplication::translate(
                              "TNetConnection",
                              "O servidor de aplicação %1 recusou %2 sem dizer o motivo.")
                              .arg(serverAddress(), method);
            return ServerReply::failure(ServerReply::Status::ServerFailure, message);
        }
        case pb::CallReply::kPacket:
            break;
        default:
            return invalid(
                QCoreApplication::translate("TNetConnection", "sem pacote de dados nem falha"));
        }
        QString error;
        std::optional<platform::DataPacket> packet =
            toDataPacket(std::move(*answer.mutable_packet()), &error);
        if (!packet)
            return invalid(error);
        answer.clear_packet();
        decoded.packet = std::move(*packet);
        reply = m_channel->memo.keep(std::move(requestKey), std::move(bytes), std::move(decoded));
        if (!reply)
            reply = &decoded; // too large to keep
    }
    const pb::CallReply &answer = reply->message;

    if (answer.by_reference_size() != byReference)
        return invalid(QCoreApplication::translate("TNetConnection",
                                                   "%1 valores por referência, eram esperados %2")
                           .arg(answer.by_reference_size())
                           .arg(byReference));

    // Check every written-back value before storing any, so that a bad
    // reply leaves all of the caller's variables as they were.
    std::vector<std::pair<const ServerArg *, QVariant>> writes;
    for (const ServerArg &argument : arguments) {
        if (!argument.byReference())
            continue;
        QVariant value = fromWireValue(answer.by_reference(static_cast<int>(writes.size())));
        if (!argument.accepts(value))
            return invalid(
                QCoreApplication::translate("TNetConnection",
                                            "valor devolvido no argumento %1 de tipo incompatível")
                    .arg(&argument - arguments.data() + 1));
        writes.emplace_back(&argument, std::move(value));
    }
    for (const auto &[argument, value] : writes)
        argument->writeBack(value);
    if (reply == &decoded)
        return ServerReply::success(std::move(decoded.packet));
    return ServerReply::success(platform::DataPacket(reply->packet));
}

} // namespace host
