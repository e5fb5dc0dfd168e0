#include "grpc_server.h"

#include "appserver.grpc.pb.h"

#include <grpcpp/grpcpp.h>
#include <grpcpp/health_check_service_interface.h>

#include <fstream>
#include <future>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

namespace appserver {
namespace {

using AsyncService = ate::appserver::v1::AppServer::AsyncService;

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
class PendingCall
{
public:
    PendingCall(AsyncService &service, grpc::ServerCompletionQueue &cq) : m_responder(&m_context)
    {
        service.RequestCall(&m_context, &m_request, &m_responder, &cq, &cq, this);
    }

    // Runs on the worker that owns the queue.
    void answer(CallHandler &handler)
    {
        std::string_view authorization;
        const auto &metadata = m_context.client_metadata();
        if (auto found = metadata.find("authorization"); found != metadata.end())
            authorization = std::string_view(found->second.data(), found->second.size());
        const std::string peer = m_context.peer();
        const grpc::Status status = handler.handle(m_request, &m_reply, authorization, peer);
        m_answered = true;
        m_responder.Finish(m_reply, status, this);
    }

    bool answered() const { return m_answered; }

private:
    grpc::ServerContext m_context;
    ate::appserver::v1::CallRequest m_request;
    ate::appserver::v1::CallReply m_reply;
    grpc::ServerAsyncResponseWriter<ate::appserver::v1::CallReply> m_responder;
    bool m_answered = false;
};

}  // namespace

class GrpcServer::Impl
{
public:
    AsyncService service;
    std::unique_ptr<grpc::Server> server;
    std::vector<std::unique_ptr<grpc::ServerCompletionQueue>> queues;
    std::vector<std::thread> workers;
    CallHandler *handler = nullptr;
    CallLog *log = nullptr;
    int port = 0;
    std::once_flag stopped;
    // A queue must get no new request once it is shut down: posting and the
    // decision to stop are ordered by this mutex.
    std::mutex postMutex;
    bool stopping = false;

    void offerSlot(grpc::ServerCompletionQueue &cq)
    {
        std::lock_guard lock(postMutex);
        if (!stopping)
            new PendingCall(service, cq);
    }

    void work(grpc::ServerCompletionQueue &cq)
    {
        offerSlot(cq);
        void *tag = nullptr;
        bool ok = false;
        while (cq.Next(&tag, &ok)) {
            auto *call = static_cast<PendingCall *>(tag);
            if (!ok || call->answered()) {
                // Shut down before a request came, or the reply has gone.
                delete call;
                continue;
            }
            // Answer first, then offer the next slot: while this worker is
            // busy, new calls go to an idle worker's queue.
            call->answer(*handler);
            offerSlot(cq);
        }
    }

    void stop(std::chrono::milliseconds grace)
    {
        std::call_once(stopped, [&] {
            if (auto *health = server->GetHealthCheckService())
                health->SetServingStatus(false);
            {
                std::lock_guard lock(postMutex);
                stopping = true;
            }
            server->Shutdown(std::chrono::system_clock::now() + grace);
            for (auto &queue : queues) queue->Shutdown();
            for (auto &worker : workers) worker.join();
            log->info("server stopped");
        });
    }
};

GrpcServer::GrpcServer(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

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
    return static_cast<int>(m_impl->workers.size());
}

void GrpcServer::shutdown(std::chrono::milliseconds grace)
{
    m_impl->stop(grace);
}

Result<std::unique_ptr<GrpcServer>> GrpcServer::start(const ServerOptions &options,
                                                      CallHandler &handler, CallLog &log)
{
    std::shared_ptr<grpc::ServerCredentials> credentials;
    if (!options.tlsCertFile.empty() || !options.tlsKeyFile.empty()) {
        Result<std::string> cert = readFile(options.tlsCertFile);
        if (!cert)
            return cert.error();
        Result<std::string> key = readFile(options.tlsKeyFile);
        if (!key)
            return key.error();
        grpc::SslServerCredentialsOptions ssl;
        ssl.pem_key_cert_pairs.push_back({*key, *cert});
        credentials = grpc::SslServerCredentials(ssl);
    } else {
        credentials = grpc::InsecureServerCredentials();
    }

    auto impl = std::make_unique<Impl>();
    impl->handler = &handler;
    impl->log = &log;

    grpc::EnableDefaultHealthCheckService(true);
    grpc::ServerBuilder builder;
    const std::string address =
        (options.address.find(':') != std::string::npos ? "[" + options.address + "]"
                                                        : options.address) +
        ":" + std::to_string(options.port);
    // Without this a second server would silently share the port.
    builder.AddChannelArgument(GRPC_ARG_ALLOW_REUSEPORT, 0);
    builder.AddListeningPort(address, credentials, &impl->port);
    builder.RegisterService(&impl->service);
    // Requests are a few small arguments; a month of flight plans may be
    // several megabytes.
    builder.SetMaxReceiveMessageSize(1 << 20);
    builder.SetMaxSendMessageSize(256 << 20);

    int threads = options.threads;
    if (threads <= 0)
        threads = static_cast<int>(std::max(2u, 2 * std::thread::hardware_concurrency()));
    for (int i = 0; i < threads; ++i) impl->queues.push_back(builder.AddCompletionQueue());

    impl->server = builder.BuildAndStart();
    if (!impl->server || impl->port == 0) {
        return Error{"Não foi possível escutar em " + address + ".",
                     "grpc BuildAndStart failed for " + address};
    }
    if (auto *health = impl->server->GetHealthCheckService())
        health->SetServingStatus(true);
    // Each worker opens its connection before it serves; the first refusal
    // stops the start.
    std::vector<std::promise<Status>> prepared(impl->queues.size());
    for (std::size_t i = 0; i < impl->queues.size(); ++i) {
        impl->workers.emplace_back(
            [raw = impl.get(), cq = impl->queues[i].get(), ready = &prepared[i]] {
                ready->set_value(raw->handler->prepareWorker());
                raw->work(*cq);
            });
    }
    for (auto &ready : prepared) {
        Status status = ready.get_future().get();
        if (!status) {
            impl->stop(std::chrono::milliseconds(0));
            return status.error();
        }
    }

    log.info("listening on " + options.address + ":" + std::to_string(impl->port) + " (" +
             std::to_string(threads) + " workers" + (options.tlsCertFile.empty() ? "" : ", TLS") +
             ")");
    return std::unique_ptr<GrpcServer>(new GrpcServer(std::move(impl)));
}

}  // namespace appserver
