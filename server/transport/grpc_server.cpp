#include "server/transport/grpc_server.h"

#include "server/transport/accept_loop.h"
#include "server/transport/grpc_accept_failure.h"
#include "server/transport/watch_queue.h"

#include "proto/appserver.grpc.pb.h"

#include <grpcpp/grpcpp.h>
#include <grpcpp/health_check_service_interface.h>

#include <absl/synchronization/mutex.h>

#include <malloc.h>
#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

namespace appserver {
namespace {

using RawService = AppServerService;

constexpr std::size_t kLargeReplyBytes = 8u << 20;

Result<std::string> readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Error{"Arquivo não encontrado: " + path, {}};
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// One call in flight: waits for a request, answers it, then is deleted.
class PendingCall final : public QueueTag
{
public:
    PendingCall(RawService &service, grpc::ServerCompletionQueue &cq)
        : QueueTag(Kind::Call)
        , m_responder(&m_context)
    {
        service.RequestCall(&m_context, &m_requestBytes, &m_responder, &cq, &cq, this);
    }

    // The request as it came; false when its bytes are no request.
    bool readRequest()
    {
        return grpc::SerializationTraits<ate::appserver::v1::CallRequest>::Deserialize(
                   &m_requestBytes, &m_request)
            .ok();
    }

    // Runs on the worker that received the call; `done` may run on a
    // database thread.
    void answer(CallHandler &handler, const AcceptLoop *acceptor, CallHandler::Done done)
    {
        std::string_view authorization;
        const auto &metadata = m_context.client_metadata();
        if (auto found = metadata.find("authorization"); found != metadata.end())
            authorization = std::string_view(found->second.data(), found->second.size());
        const std::string peer = acceptor ? acceptor->peerOf(m_context.peer()) : m_context.peer();
        handler.handle(m_request, &m_reply, authorization, peer, m_context.deadline(), &m_record,
                       std::move(done));
    }

    // Sends the reply; its completion comes back through the call's queue.
    void finish(const grpc::Status &status)
    {
        m_answered = true;
        if (status.ok())
            m_responder.Finish(m_reply.toByteBuffer(), status, this);
        else
            m_responder.FinishWithError(status, this);
    }

    bool answered() const { return m_answered; }

    // Once the reply has gone, or failed to: `sent` is gRPC's word on it.
    void delivered(bool sent, CallLog &log)
    {
        if (!sent && !m_record.failed()) {
            m_record.outcome = std::chrono::system_clock::now() >= m_context.deadline()
                                   ? CallRecord::Outcome::DeadlineExceeded
                                   : CallRecord::Outcome::Cancelled;
        } else if (!sent && m_record.outcome == CallRecord::Outcome::Failure) {
            m_record.detail += m_record.detail.empty() ? "" : "; ";
            m_record.detail += "the client did not get the reply";
        }
        log.call(m_record);
    }

    std::size_t replyBytes() const { return m_record.replyBytes; }

private:
    grpc::ServerContext m_context;
    grpc::ByteBuffer m_requestBytes;
    ate::appserver::v1::CallRequest m_request;
    OutgoingReply m_reply;
    grpc::ServerAsyncResponseWriter<grpc::ByteBuffer> m_responder;
    CallRecord m_record;
    bool m_answered = false;
};

// Threads that receive calls: enough beyond the database connections that
// calls needing no database are answered while every connection is held by
// a database that hangs (a worker runs a call's database work itself when
// a connection is free).
int receiverCount(const CallHandler &handler)
{
    return handler.databaseConnections()
           + static_cast<int>(std::max(2u, std::thread::hardware_concurrency()));
}

} // namespace

namespace {

// One generation of the gRPC server: listener, queues and workers. A new
// one replaces it when its listener has died.
class Listener
{
public:
    RawService service;
    // Plain TCP: connections accepted here, counted and handed to `server`.
    std::unique_ptr<AcceptLoop> acceptor;
    std::unique_ptr<grpc::Server> server;
    std::vector<std::unique_ptr<grpc::ServerCompletionQueue>> queues;
    std::vector<std::unique_ptr<WatchQueue>> watchQueues; // one per queue
    std::vector<std::thread> workers;
    CallHandler *handler = nullptr;
    CallLog *log = nullptr;
    int port = 0;
    // A queue must get no new request once the server stops, and no reply
    // once the queue is shut down (gRPC aborts the process): posting and
    // these decisions are ordered by this mutex.
    std::mutex postMutex;
    std::condition_variable allReplied;
    bool stopping = false;
    bool queuesClosed = false;
    int unanswered = 0; // received, reply not yet posted

    void offerSlot(grpc::ServerCompletionQueue &cq)
    {
        std::lock_guard lock(postMutex);
        if (!stopping)
            new PendingCall(service, cq);
    }

    void reply(PendingCall *call, const grpc::Status &status)
    {
        bool posted = false;
        {
            std::lock_guard lock(postMutex);
            posted = !queuesClosed;
            if (posted)
                call->finish(status);
        }
        if (!posted) {
            // The server stopped while this call ran past its grace.
            call->delivered(false, *log);
            delete call;
        }
        std::lock_guard lock(postMutex);
        if (--unanswered == 0)
            allReplied.notify_all();
    }

    void wakeWatchers()
    {
        for (auto &watchers : watchQueues)
            watchers->wake();
    }

    void work(grpc::ServerCompletionQueue &cq, WatchQueue &watchers)
    {
        // Named for top -H and perf.
        pthread_setname_np(pthread_self(), "ate-receive");
        offerSlot(cq);
        watchers.start();
        void *tag = nullptr;
        bool ok = false;
        while (cq.Next(&tag, &ok)) {
            if (static_cast<QueueTag *>(tag)->kind != QueueTag::Kind::Call) {
                watchers.handle(static_cast<QueueTag *>(tag), ok);
                continue;
            }
            auto *call = static_cast<PendingCall *>(static_cast<QueueTag *>(tag));
            if (call->answered()) {
                call->delivered(ok, *log);
                const bool large = call->replyBytes() >= kLargeReplyBytes;
                delete call;
                // glibc keeps the pages of a large reply for the next one:
                // without this a few large days kept hundreds of MB.
                if (large)
                    malloc_trim(0);
                continue;
            }
            if (!ok) {
                // Shut down before a request came.
                delete call;
                continue;
            }
            {
                std::lock_guard lock(postMutex);
                ++unanswered;
            }
            if (!call->readRequest()) {
                reply(call, grpc::Status(grpc::StatusCode::INTERNAL, "unreadable request"));
                offerSlot(cq);
                continue;
            }
            // Answer first, then offer the next slot: while this worker is
            // busy, new calls go to an idle worker's queue.
            call->answer(*handler, acceptor.get(),
                         [this, call](const grpc::Status &status) { reply(call, status); });
            offerSlot(cq);
        }
    }

    // Stops, letting calls run for `grace`; 0, or the calls still running
    // at `giveUpAt`, when it leaves them (and this listener) to the end of
    // the process.
    int stop(std::chrono::milliseconds grace, std::chrono::steady_clock::time_point giveUpAt =
                                                  std::chrono::steady_clock::time_point::max())
    {
        if (auto *health = server->GetHealthCheckService())
            health->SetServingStatus(false);
        {
            std::lock_guard lock(postMutex);
            stopping = true;
        }
        // The hosts' change streams end now rather than at the grace's
        // end: they read from the server until they are back.
        for (auto &watchers : watchQueues)
            watchers->stop();
        if (acceptor)
            acceptor->stop();
        server->Shutdown(std::chrono::system_clock::now() + grace);
        {
            // Database work still running ends by its deadline; a reply
            // still being built may take longer.
            std::unique_lock lock(postMutex);
            const auto replied = [this] { return unanswered == 0; };
            if (giveUpAt == std::chrono::steady_clock::time_point::max())
                allReplied.wait(lock, replied);
            else if (!allReplied.wait_until(lock, giveUpAt, replied))
                return unanswered;
            queuesClosed = true;
        }
        for (auto &watchers : watchQueues)
            watchers->close();
        for (auto &queue : queues)
            queue->Shutdown();
        for (auto &worker : workers)
            worker.join();
        return 0;
    }
};

} // namespace

class GrpcServer::Impl
{
public:
    ServerOptions options;
    std::shared_ptr<grpc::ServerCredentials> credentials;
    CallHandler *handler = nullptr;
    CallLog *log = nullptr;
    int port = 0;
    std::unique_ptr<Listener> listener;
    std::once_flag stopped;

    std::mutex mutex;
    std::condition_variable changed;
    bool acceptFailed = false;
    bool quitting = false;
    std::thread supervisor;
    std::unique_ptr<AcceptFailureWatch> acceptWatch;

    // gRPC's own listener (TLS) gave up: supervise() replaces it.
    void noteAcceptFailure()
    {
        {
            std::lock_guard lock(mutex);
            acceptFailed = true;
        }
        changed.notify_all();
    }

    std::string address(int listenPort) const
    {
        return (options.address.find(':') != std::string::npos ? "[" + options.address + "]"
                                                               : options.address)
               + ":" + std::to_string(listenPort);
    }

    Result<std::unique_ptr<Listener>> listen(int listenPort)
    {
        auto next = std::make_unique<Listener>();
        next->handler = handler;
        next->log = log;
        grpc::EnableDefaultHealthCheckService(true);
        grpc::ServerBuilder builder;
        // Without this a second server would silently share the port.
        builder.AddChannelArgument(GRPC_ARG_ALLOW_REUSEPORT, 0);
        // Descriptors are what a flood of connections exhausts: idle
        // connections are closed, dead peers found by keep-alive pings, and
        // a connection that never completes its handshake is dropped.
        builder.AddChannelArgument(GRPC_ARG_MAX_CONNECTION_IDLE_MS, options.idleTimeoutMs);
        builder.AddChannelArgument(GRPC_ARG_KEEPALIVE_TIME_MS, options.keepAliveMs);
        builder.AddChannelArgument(GRPC_ARG_KEEPALIVE_TIMEOUT_MS, 20000);
        builder.AddChannelArgument(GRPC_ARG_KEEPALIVE_PERMIT_WITHOUT_CALLS, 1);
        builder.AddChannelArgument(GRPC_ARG_HTTP2_MAX_PINGS_WITHOUT_DATA, 0);
        builder.AddChannelArgument(GRPC_ARG_SERVER_HANDSHAKE_TIMEOUT_MS,
                                   options.handshakeTimeoutMs);
        const std::string where = address(listenPort);
        if (options.tlsCertFile.empty()) {
            Result<std::unique_ptr<AcceptLoop>> acceptor =
                AcceptLoop::listen(options.address, listenPort, options.maxConnections, *log,
                                   std::chrono::milliseconds(options.handshakeTimeoutMs));
            if (!acceptor)
                return acceptor.error();
            next->acceptor = std::move(*acceptor);
            next->port = next->acceptor->port();
        } else {
            builder.AddListeningPort(where, credentials, &next->port);
        }
        builder.RegisterService(&next->service);
        // Requests are a few small arguments; a month of flight plans may be
        // several megabytes.
        builder.SetMaxReceiveMessageSize(1 << 20);
        builder.SetMaxSendMessageSize(static_cast<int>(
            std::min<std::size_t>(handler->maxReplyBytes() + (1u << 20), INT32_MAX)));
        for (int i = 0; i < receiverCount(*handler); ++i)
            next->queues.push_back(builder.AddCompletionQueue());

        next->server = builder.BuildAndStart();
        if (!next->server || next->port == 0) {
            return Error{"Não foi possível escutar em " + where + ".",
                         "grpc BuildAndStart failed for " + where};
        }
        if (auto *health = next->server->GetHealthCheckService())
            health->SetServingStatus(true);
        if (next->acceptor)
            next->acceptor->start(*next->server);
        for (auto &queue : next->queues) {
            next->watchQueues.push_back(std::make_unique<WatchQueue>(
                next->service, *queue, *handler, next->acceptor.get(), *log));
            next->workers.emplace_back(
                [raw = next.get(), cq = queue.get(), watchers = next->watchQueues.back().get()] {
                    raw->work(*cq, *watchers);
                });
        }
        return next;
    }

    // Replaces a listener that died: the old server's shutdown closes its
    // connections, which frees the descriptors a flood took.
    void supervise()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return acceptFailed || quitting; });
            if (quitting)
                return;
            acceptFailed = false;
            std::unique_ptr<Listener> dead = std::move(listener);
            lock.unlock();
            log->info("accept failed (too many open files?): restarting the listener on port "
                      + std::to_string(port));
            dead->stop(std::chrono::milliseconds(1000));
            dead.reset();
            lock.lock();
            while (!quitting) {
                lock.unlock();
                Result<std::unique_ptr<Listener>> next = listen(port);
                lock.lock();
                if (next) {
                    listener = std::move(*next);
                    log->info("listening again on " + address(port));
                    break;
                }
                log->info("cannot listen again yet: " + next.error().detail);
                changed.wait_for(lock, std::chrono::milliseconds(200), [this] { return quitting; });
            }
            acceptFailed = false;
        }
    }

    // The feed moved: every stream hears of it.
    void wakeWatchers()
    {
        std::lock_guard lock(mutex);
        if (listener && !quitting)
            listener->wakeWatchers();
    }

    int stop(std::chrono::milliseconds grace, std::chrono::steady_clock::time_point giveUpAt)
    {
        int running = 0;
        std::call_once(stopped, [&] {
            if (ChangeTail *tail = handler->changeTail())
                tail->setWake(nullptr);
            acceptWatch.reset();
            {
                std::lock_guard lock(mutex);
                quitting = true;
            }
            changed.notify_all();
            if (supervisor.joinable())
                supervisor.join();
            if (listener)
                running = listener->stop(grace, giveUpAt);
            if (running > 0) {
                // Its threads still run those calls: the process ends
                // without them.
                (void)listener.release();
                log->info("server stopped with " + std::to_string(running)
                          + " call(s) still running");
                return;
            }
            log->info("server stopped");
        });
        return running;
    }
};

GrpcServer::GrpcServer(std::unique_ptr<Impl> impl)
    : m_impl(std::move(impl))
{
}

GrpcServer::~GrpcServer()
{
    shutdown();
}

int GrpcServer::port() const
{
    return m_impl->port;
}

int GrpcServer::workerCount() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->listener ? static_cast<int>(m_impl->listener->workers.size()) : 0;
}

void GrpcServer::shutdown(std::chrono::milliseconds grace)
{
    (void)m_impl->stop(grace, std::chrono::steady_clock::time_point::max());
}

int GrpcServer::stopWithin(std::chrono::milliseconds grace,
                           std::chrono::steady_clock::time_point giveUpAt)
{
    return m_impl->stop(grace, giveUpAt);
}

Result<std::unique_ptr<GrpcServer>> GrpcServer::start(const ServerOptions &options,
                                                      CallHandler &handler, CallLog &log)
{
    auto impl = std::make_unique<Impl>();
    impl->options = options;
    impl->handler = &handler;
    impl->log = &log;
    if (!options.tlsCertFile.empty() || !options.tlsKeyFile.empty()) {
        Result<std::string> cert = readFile(options.tlsCertFile);
        if (!cert)
            return cert.error();
        Result<std::string> key = readFile(options.tlsKeyFile);
        if (!key)
            return key.error();
        grpc::SslServerCredentialsOptions ssl;
        ssl.pem_key_cert_pairs.push_back({*key, *cert});
        impl->credentials = grpc::SslServerCredentials(ssl);
    } else {
        impl->credentials = grpc::InsecureServerCredentials();
    }
    // Debian builds abseil without NDEBUG, so every lock gRPC takes is
    // checked for deadlock cycles in one graph of the process behind a
    // spin lock: a debugging aid that cost about a twentieth of each call.
    absl::SetMutexDeadlockDetectionMode(absl::OnDeadlockCycle::kIgnore);
    // A database that cannot be opened stops the start.
    if (Status opened = handler.openConnections(); !opened)
        return opened.error();

    Result<std::unique_ptr<Listener>> listener = impl->listen(options.port);
    if (!listener)
        return listener.error();
    impl->listener = std::move(*listener);
    impl->port = impl->listener->port;
    impl->acceptWatch =
        std::make_unique<AcceptFailureWatch>([raw = impl.get()] { raw->noteAcceptFailure(); });
    impl->supervisor = std::thread([raw = impl.get()] { raw->supervise(); });
    if (ChangeTail *tail = handler.changeTail())
        tail->setWake([raw = impl.get()] { raw->wakeWatchers(); });

    log.info("listening on " + options.address + ":" + std::to_string(impl->port) + " ("
             + std::to_string(impl->listener->workers.size()) + " threads receiving calls, "
             + std::to_string(handler.databaseConnections()) + " database connections"
             + (options.tlsCertFile.empty() ? "" : ", TLS") + ")");
    return std::unique_ptr<GrpcServer>(new GrpcServer(std::move(impl)));
}

} // namespace appserver
