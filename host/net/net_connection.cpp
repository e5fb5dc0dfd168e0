#include "net_connection.h"

#include "abort.h"
#include "appserver.grpc.pb.h"
#include "wire_values.h"

#include <grpcpp/grpcpp.h>

#include <QFile>

#include <chrono>
#include <mutex>

namespace host {
namespace {

// A day's reply for a busy branch can outgrow gRPC's 4 MiB default.
constexpr int kMaxReceiveBytes = 64 * 1024 * 1024;
// gRPC's default backoff (1 s growing to 120 s) kept a restarted server
// unreachable for seconds; the refresh after a restart must get through.
constexpr int kInitialReconnectBackoffMs = 100;
constexpr int kMaxReconnectBackoffMs = 500;

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
        return QStringLiteral("servidor indisponível");
    case grpc::StatusCode::DEADLINE_EXCEEDED:
        return QStringLiteral("tempo de resposta esgotado");
    case grpc::StatusCode::UNAUTHENTICATED:
        return QStringLiteral("acesso não autenticado");
    case grpc::StatusCode::PERMISSION_DENIED:
        return QStringLiteral("acesso negado");
    case grpc::StatusCode::RESOURCE_EXHAUSTED:
        return QStringLiteral("limite de recursos excedido: %1").arg(QString::fromStdString(status.error_message()));
    case grpc::StatusCode::UNIMPLEMENTED:
        return QStringLiteral("serviço desconhecido por este servidor");
    default:
        return QStringLiteral("erro %1: %2")
            .arg(static_cast<int>(status.error_code()))
            .arg(QString::fromStdString(status.error_message()));
    }
}

} // namespace

struct TNetConnection::Channel
{
    std::shared_ptr<grpc::Channel> channel;
    std::unique_ptr<ate::appserver::v1::AppServer::Stub> stub;
    std::string authorization; // metadata value, empty: none
};

TNetConnection::TNetConnection(QObject *parent)
    : QObject(parent)
    , m_options(defaultOptions())
{}

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

QString TNetConnection::serverAddress() const
{
    // An IPv6 literal needs brackets before the port.
    const bool ipv6 = m_host.contains(QLatin1Char(':')) && !m_host.startsWith(QLatin1Char('['));
    return (ipv6 ? QStringLiteral("[%1]").arg(m_host) : m_host) + QLatin1Char(':') + QString::number(m_port);
}

void TNetConnection::setTlsRootCertificateFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw platform::Error(QStringLiteral("Não foi possível ler o certificado do servidor de aplicação %1 (%2).")
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

    const auto refuse = [this](const QString &reason) {
        return platform::Error(QStringLiteral("Não foi possível conectar ao servidor de aplicação %1 (%2).")
                                   .arg(serverAddress(), reason));
    };
    if (m_host.trimmed().isEmpty())
        throw refuse(QStringLiteral("endereço do servidor não informado"));
    if (m_port < 1 || m_port > 65535)
        throw refuse(QStringLiteral("porta inválida"));
    if (!m_options.bearerToken.isEmpty() && !m_options.tls && !isLoopback(m_host))
        throw refuse(QStringLiteral("o token de acesso só é enviado por conexão segura; ative o TLS"));

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
    arguments.SetInt(GRPC_ARG_MIN_RECONNECT_BACKOFF_MS, std::max(kInitialReconnectBackoffMs, m_options.connectAttemptTimeoutMs));
    // Two connections must not share a subchannel and its backoff state.
    arguments.SetInt(GRPC_ARG_USE_LOCAL_SUBCHANNEL_POOL, 1);

    auto channel = std::make_unique<Channel>();
    channel->channel = grpc::CreateCustomChannel(serverAddress().toStdString(), credentials, arguments);

    const auto deadline = deadlineFromNow(m_options.deadlineMs);
    for (grpc_connectivity_state state = channel->channel->GetState(true); state != GRPC_CHANNEL_READY;
         state = channel->channel->GetState(true)) {
        // The first failed attempt settles it: waiting on for the deadline
        // would only freeze the screen longer.
        if (state == GRPC_CHANNEL_TRANSIENT_FAILURE || state == GRPC_CHANNEL_SHUTDOWN)
            throw refuse(m_options.tls ? QStringLiteral("servidor indisponível ou certificado não aceito")
                                       : QStringLiteral("servidor indisponível"));
        if (!channel->channel->WaitForStateChange(state, deadline))
            throw refuse(QStringLiteral("tempo de conexão esgotado"));
    }
    channel->stub = ate::appserver::v1::AppServer::NewStub(channel->channel);
    if (!m_options.bearerToken.isEmpty())
        channel->authorization = "Bearer " + m_options.bearerToken.toStdString();
    m_channel = std::move(channel);
}

ServerReply AppServer::invoke(const QString &method, const std::vector<ServerArg> &arguments)
{
    ServerReply reply = m_connection.call(method, arguments);
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

ServerReply TNetConnection::callConnected(const QString &method, const std::vector<ServerArg> &arguments)
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
            return ServerReply::failure(ServerReply::Status::InvalidArgument,
                                        QStringLiteral("O argumento %1 de %2 tem um valor que não pode ser enviado ao "
                                                       "servidor de aplicação.")
                                            .arg(i + 1)
                                            .arg(method));
    }

    grpc::ClientContext context;
    context.set_deadline(deadlineFromNow(m_options.deadlineMs));
    if (!m_channel->authorization.empty())
        context.AddMetadata("authorization", m_channel->authorization);
    pb::CallReply answer;
    const grpc::Status status = m_channel->stub->Call(&context, request, &answer);
    if (!status.ok())
        return ServerReply::failure(ServerReply::Status::TransportFailure,
                                    QStringLiteral("Não foi possível comunicar com o servidor de aplicação %1 (%2).")
                                        .arg(serverAddress(), transportReason(status)));

    const auto invalid = [&](const QString &why) {
        return ServerReply::failure(ServerReply::Status::InvalidReply,
                                    QStringLiteral("O servidor de aplicação %1 enviou uma resposta inválida para %2 (%3).")
                                        .arg(serverAddress(), method, why));
    };
    switch (answer.result_case()) {
    case pb::CallReply::kFailure: {
        QString message = QString::fromStdString(answer.failure().message());
        if (message.trimmed().isEmpty())
            message = QStringLiteral("O servidor de aplicação %1 recusou %2 sem dizer o motivo.").arg(serverAddress(), method);
        return ServerReply::failure(ServerReply::Status::ServerFailure, message);
    }
    case pb::CallReply::kPacket:
        break;
    default:
        return invalid(QStringLiteral("sem pacote de dados nem falha"));
    }

    QString error;
    std::optional<platform::DataPacket> packet = toDataPacket(std::move(*answer.mutable_packet()), &error);
    if (!packet)
        return invalid(error);
    if (answer.by_reference_size() != byReference)
        return invalid(QStringLiteral("%1 valores por referência, eram esperados %2")
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
            return invalid(QStringLiteral("valor devolvido no argumento %1 de tipo incompatível")
                               .arg(&argument - arguments.data() + 1));
        writes.emplace_back(&argument, std::move(value));
    }
    for (const auto &[argument, value] : writes)
        argument->writeBack(value);
    return ServerReply::success(std::move(*packet));
}

} // namespace host
