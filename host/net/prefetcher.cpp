#include "host/net/prefetcher.h"

#include "host/net/call_codec.h"
#include "host/net/wire_values.h"

#include <grpcpp/generic/generic_stub.h>
#include <grpcpp/grpcpp.h>

#include <algorithm>

namespace host {

namespace pb = ate::appserver::v1;

struct Prefetcher::InFlight
{
    std::string key;
    grpc::ClientContext context;
    grpc::ByteBuffer reply;
    grpc::Status status;
    std::unique_ptr<grpc::ClientAsyncResponseReader<grpc::ByteBuffer>> reader;
};

Prefetcher::Prefetcher(std::shared_ptr<grpc::Channel> channel, std::string authorization,
                       HeldReplies &held, int deadlineMs)
    : m_channel(std::move(channel))
    , m_authorization(std::move(authorization))
    , m_held(held)
    , m_deadlineMs(deadlineMs)
{
    m_thread = std::thread([this] { run(); });
}

Prefetcher::~Prefetcher()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void Prefetcher::setWindow(std::vector<Job> jobs)
{
    {
        std::lock_guard lock(m_mutex);
        m_window = std::move(jobs);
    }
    m_wake.notify_all();
}

bool Prefetcher::settled()
{
    std::lock_guard lock(m_mutex);
    if (!m_pending.empty())
        return false;
    return m_held.status().state == FeedStatus::State::Off
           || std::all_of(m_window.begin(), m_window.end(),
                          [this](const Job &job) { return m_held.holds(job.key); });
}

void Prefetcher::refresh()
{
    m_wake.notify_all();
}

void Prefetcher::userCallStarted()
{
    std::lock_guard lock(m_mutex);
    ++m_userCalls;
}

void Prefetcher::userCallEnded()
{
    {
        std::lock_guard lock(m_mutex);
        --m_userCalls;
    }
    m_wake.notify_all();
}

void Prefetcher::run()
{
    grpc::GenericStub stub(m_channel);
    grpc::CompletionQueue queue;
    std::set<InFlight *> calls;
    bool cancelled = false;
    std::unique_lock lock(m_mutex);
    while (!m_stopping || !calls.empty()) {
        if (m_stopping && !cancelled) {
            cancelled = true;
            for (InFlight *call : calls)
                call->context.TryCancel();
        }
        // Send what the window lacks, a few at a time.
        if (!m_stopping && m_userCalls == 0 && m_held.trusted()) {
            for (const Job &job : m_window) {
                if (static_cast<int>(calls.size()) >= kInFlight)
                    break;
                if (m_pending.count(job.key) || m_held.holds(job.key))
                    continue;
                auto *call = new InFlight;
                call->key = job.key;
                call->context.set_deadline(std::chrono::system_clock::now()
                                           + std::chrono::milliseconds(m_deadlineMs));
                if (!m_authorization.empty())
                    call->context.AddMetadata("authorization", m_authorization);
                grpc::ByteBuffer request;
                bool own = false;
                if (!grpc::SerializationTraits<pb::CallRequest>::Serialize(job.request, &request,
                                                                           &own)
                         .ok()) {
                    delete call;
                    continue;
                }
                call->reader =
                    stub.PrepareUnaryCall(&call->context, callMethodPath(), request, &queue);
                call->reader->StartCall();
                call->reader->Finish(&call->reply, &call->status, call);
                m_pending.insert(job.key);
                calls.insert(call);
            }
        }
        if (calls.empty()) {
            // Woken by a new window, a notice, the end of a user's call;
            // a stalled feed is looked at again now and then.
            m_wake.wait_for(lock, std::chrono::milliseconds(500));
            continue;
        }
        lock.unlock();
        void *tag = nullptr;
        bool ok = false;
        const auto next = queue.AsyncNext(
            &tag, &ok, std::chrono::system_clock::now() + std::chrono::milliseconds(50));
        lock.lock();
        if (next != grpc::CompletionQueue::GOT_EVENT)
            continue;
        std::unique_ptr<InFlight> call(static_cast<InFlight *>(tag));
        calls.erase(call.get());
        m_pending.erase(call->key);
        if (!ok || !call->status.ok())
            continue;
        m_bytes += call->reply.Length();
        lock.unlock();
        FeedTag feed;
        if (std::optional<platform::DataPacket> packet = decodePacket(call->reply, &feed))
            m_held.offer(call->key, feed, *packet);
        lock.lock();
    }
    lock.unlock();
    queue.Shutdown();
    void *tag = nullptr;
    bool ok = false;
    while (queue.Next(&tag, &ok))
        delete static_cast<InFlight *>(tag);
}

} // namespace host
