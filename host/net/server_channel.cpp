#include "host/net/server_channel.h"

#include "host/net/call_codec.h"
#include "host/net/net_log.h"
#include "platform/abort.h"

#include <grpcpp/grpcpp.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <condition_variable>
#include <cstdlib>
#include <mutex>

namespace host {
namespace {

namespace pb = ate::appserver::v1;

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

// Connection attempts a call may restart after one failed, each only when
// a server accepts TCP connections.
constexpr int kReconnectProbes = 3;

// A lost call is sent this many times in all.
constexpr int kCallAttempts = 3;

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

std::chrono::system_clock::time_point deadlineFromNow(int msecs)
{
    return std::chrono::system_clock::now() + std::chrono::milliseconds(msecs);
}

grpc::ChannelArguments channelArguments(const std::vector<Endpoint> &list,
                                        const ConnectionOptions &options)
{
    grpc::ChannelArguments arguments;
    arguments.SetMaxReceiveMessageSize(kMaxReceiveBytes);
    arguments.SetInt(GRPC_ARG_INITIAL_RECONNECT_BACKOFF_MS, kInitialReconnectBackoffMs);
    arguments.SetInt(GRPC_ARG_MAX_RECONNECT_BACKOFF_MS, kMaxReconnectBackoffMs);
    // gRPC reads this one as the shortest time a connection attempt is
    // given, not as a backoff.
    arguments.SetInt(GRPC_ARG_MIN_RECONNECT_BACKOFF_MS,
                     std::max(kInitialReconnectBackoffMs, options.connectAttemptTimeoutMs));
    // Two connections must not share a subchannel and its backoff state.
    arguments.SetInt(GRPC_ARG_USE_LOCAL_SUBCHANNEL_POOL, 1);
    // Several servers (a list, or a name with several addresses): calls go
    // round them, skipping those that do not answer.
    arguments.SetLoadBalancingPolicyName("round_robin");
    if (list.size() > 1 && options.tls)
        arguments.SetSslTargetNameOverride(list.front().host.toStdString());
    return arguments;
}

std::shared_ptr<grpc::ChannelCredentials> credentialsFor(const ConnectionOptions &options)
{
    if (!options.tls)
        return grpc::InsecureChannelCredentials();
    grpc::SslCredentialsOptions ssl;
    ssl.pem_root_certs = options.tlsRootCertificates.toStdString();
    return grpc::SslCredentials(ssl);
}

} // namespace

ServerChannel::~ServerChannel() = default;

std::unique_ptr<ServerChannel> ServerChannel::open(const std::vector<Endpoint> &list,
                                                   const QString &address,
                                                   const ConnectionOptions &options,
                                                   std::function<void()> feedChanged)
{
    const auto refuse = [&address](const QString &reason) {
        return platform::Error(
            QCoreApplication::translate(
                "TNetConnection", "Não foi possível conectar ao servidor de aplicação %1 (%2).")
                .arg(address, reason));
    };
    for (const Endpoint &endpoint : list) {
        if (endpoint.host.isEmpty())
            throw refuse(QCoreApplication::translate("TNetConnection",
                                                     "endereço do servidor não informado"));
        if (endpoint.port < 1 || endpoint.port > 65535)
            throw refuse(QCoreApplication::translate("TNetConnection", "porta inválida"));
        if (!options.bearerToken.isEmpty() && !options.tls && !isLoopback(endpoint.host))
            throw refuse(QCoreApplication::translate(
                "TNetConnection",
                "o token de acesso só é enviado por conexão segura; ative o TLS"));
    }
    std::string target = address.toStdString();
    if (list.size() > 1) {
        target = addressListTarget(list);
        if (target.empty())
            throw refuse(QCoreApplication::translate("TNetConnection",
                                                     "nenhum dos endereços foi encontrado"));
    }

    std::unique_ptr<ServerChannel> opened(new ServerChannel);
    opened->m_endpoints = list;
    opened->m_address = address;
    opened->m_channel =
        grpc::CreateCustomChannel(target, credentialsFor(options), channelArguments(list, options));
    grpc::Channel &channel = *opened->m_channel;
    const auto deadline = deadlineFromNow(options.deadlineMs);
    for (grpc_connectivity_state state = channel.GetState(true); state != GRPC_CHANNEL_READY;
         state = channel.GetState(true)) {
        // The first failed attempt settles it: waiting on for the deadline
        // would only freeze the screen longer.
        if (state == GRPC_CHANNEL_TRANSIENT_FAILURE || state == GRPC_CHANNEL_SHUTDOWN)
            throw refuse(options.tls ? QCoreApplication::translate(
                             "TNetConnection", "servidor indisponível ou certificado não aceito")
                                     : QCoreApplication::translate("TNetConnection",
                                                                   "servidor indisponível"));
        if (!channel.WaitForStateChange(state, deadline))
            throw refuse(
                QCoreApplication::translate("TNetConnection", "tempo de conexão esgotado"));
    }
    opened->m_stub =
        std::make_unique<grpc::TemplatedGenericStub<pb::CallRequest, grpc::ByteBuffer>>(
            opened->m_channel);
    if (!options.bearerToken.isEmpty())
        opened->m_authorization = "Bearer " + options.bearerToken.toStdString();
    if (options.followChanges) {
        opened->m_prefetcher = std::make_unique<Prefetcher>(
            opened->m_channel, opened->m_authorization, opened->m_held, options.deadlineMs);
        Prefetcher *prefetcher = opened->m_prefetcher.get();
        opened->m_watch = std::make_unique<ChangeWatch>(
            opened->m_channel, opened->m_authorization, opened->m_held,
            [prefetcher, feedChanged = std::move(feedChanged)] {
                // What a notice outdated in the window is read again.
                prefetcher->refresh();
                if (feedChanged)
                    feedChanged();
            });
    }
    return opened;
}

bool ServerChannel::awaitReconnection(std::chrono::system_clock::time_point deadline,
                                      bool retryFailed)
{
    grpc::Channel &channel = *m_channel;
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
        qCInfo(lcNet).noquote() << "reconnection to" << m_address << "not made after"
                                << clock.elapsed() << "ms";
        return false;
    };
    // An attempt begun before the server listened again fails after the
    // call began, and so may one made while the server is still starting:
    // a few more tries then, each only when a server accepts. gRPC does not
    // tell when its own attempt fails (the channel stays in its failure
    // state), so the TCP probe tells a dead server (refused at once) from
    // one that is only slow to complete the connection.
    int probes = 0;
    const auto tryAgain = [&] {
        if (!retryFailed || probes >= kReconnectProbes)
            return false;
        ++probes;
        if (!anyServerListening(m_endpoints, limit))
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
    qCInfo(lcNet).noquote() << "reconnected to" << m_address << "in" << clock.elapsed() << "ms";
    return true;
}

grpc::Status ServerChannel::callOnce(const pb::CallRequest &request,
                                     std::chrono::system_clock::time_point deadline,
                                     grpc::ByteBuffer *received)
{
    grpc::ClientContext context;
    context.set_deadline(deadline);
    if (!m_authorization.empty())
        context.AddMetadata("authorization", m_authorization);
    received->Clear();
    // The generic stub's unary call completes on a gRPC thread; the caller
    // waits for it, as for any synchronous call.
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    grpc::Status status;
    m_stub->UnaryCall(&context, callMethodPath(), grpc::StubOptions(), &request, received,
                      [&](grpc::Status outcome) {
                          const std::lock_guard lock(mutex);
                          status = std::move(outcome);
                          done = true;
                          finished.notify_one();
                      });
    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return done; });
    return status;
}

grpc::Status ServerChannel::call(const pb::CallRequest &request,
                                 std::chrono::system_clock::time_point deadline,
                                 grpc::ByteBuffer *received)
{
    grpc::Status status;
    // A resend is worth it only while the channel looks connected: one
    // found failing has just failed to connect to any server. Another
    // server's loss gRPC may not have noticed yet, hence a third try.
    for (int attempt = 0; attempt < kCallAttempts; ++attempt) {
        const bool lookedConnected = awaitReconnection(deadline, attempt == 0);
        status = callOnce(request, deadline, received);
        if (status.error_code() != grpc::StatusCode::UNAVAILABLE || !lookedConnected
            || std::chrono::system_clock::now() >= deadline)
            break;
    }
    return status;
}

} // namespace host
