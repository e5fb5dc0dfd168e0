#include "host/net/change_watch.h"

#include "host/net/net_log.h"
#include "proto/appserver.grpc.pb.h"

#include <grpcpp/grpcpp.h>

#include <algorithm>

namespace host {
namespace {

namespace pb = ate::appserver::v1;

constexpr std::chrono::milliseconds kFirstRetry{200};
constexpr std::chrono::milliseconds kLongestRetry{5000};

FeedNotice fromMessage(const pb::ChangeNotice &message)
{
    FeedNotice notice;
    notice.instance = message.instance();
    notice.generation = message.generation();
    notice.inStep = message.in_step();
    notice.everything = message.everything();
    notice.scopes.assign(message.scopes().begin(), message.scopes().end());
    std::sort(notice.scopes.begin(), notice.scopes.end());
    return notice;
}

} // namespace

ChangeWatch::ChangeWatch(std::shared_ptr<grpc::Channel> channel, std::string authorization,
                         HeldReplies &held, std::function<void()> changed)
    : m_channel(std::move(channel))
    , m_authorization(std::move(authorization))
    , m_held(held)
    , m_changed(std::move(changed))
{
    m_held.watching();
    m_thread = std::thread([this] { run(); });
}

ChangeWatch::~ChangeWatch()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (m_context)
            m_context->TryCancel();
    }
    m_wake.notify_all();
    m_thread.join();
}

bool ChangeWatch::stopping()
{
    std::lock_guard lock(m_mutex);
    return m_stopping;
}

void ChangeWatch::pause(std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, wait, [this] { return m_stopping; });
}

void ChangeWatch::run()
{
    std::chrono::milliseconds retry = kFirstRetry;
    while (!stopping()) {
        const auto started = std::chrono::steady_clock::now();
        if (!follow()) {
            m_held.noFeed();
            qCInfo(lcNet) << "the server has no change feed: every call goes to it";
            if (m_changed)
                m_changed();
            return;
        }
        m_held.outOfStep();
        if (m_changed)
            m_changed();
        // A stream that lasted a while starts the retries afresh.
        if (std::chrono::steady_clock::now() - started > kLongestRetry)
            retry = kFirstRetry;
        pause(retry);
        retry = std::min(retry * 2, kLongestRetry);
    }
}

bool ChangeWatch::follow()
{
    grpc::ClientContext context;
    if (!m_authorization.empty())
        context.AddMetadata("authorization", m_authorization);
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return true;
        m_context = &context;
    }
    const auto [instance, generation] = m_held.resumeFrom();
    pb::WatchRequest request;
    request.set_instance(instance);
    request.set_generation(generation);
    grpc::CompletionQueue queue;
    std::unique_ptr<grpc::ClientAsyncReader<pb::ChangeNotice>> reader =
        pb::AppServer::NewStub(m_channel)->PrepareAsyncWatchChanges(&context, request, &queue);
    enum Tag : std::intptr_t { Started = 1, Read, Finished };
    reader->StartCall(reinterpret_cast<void *>(Started));
    pb::ChangeNotice message;
    auto lastHeard = std::chrono::steady_clock::now();
    bool pendingFinish = false;
    bool cancelled = false;
    grpc::Status status;
    for (;;) {
        void *tag = nullptr;
        bool ok = false;
        const grpc::CompletionQueue::NextStatus next = queue.AsyncNext(
            &tag, &ok, std::chrono::system_clock::now() + std::chrono::milliseconds(500));
        if (next == grpc::CompletionQueue::SHUTDOWN)
            break;
        if (next == grpc::CompletionQueue::TIMEOUT) {
            // A silent stream (a stalled link): given up and opened again.
            if (!cancelled
                && (stopping()
                    || std::chrono::steady_clock::now() - lastHeard > HeldReplies::kStale)) {
                cancelled = true;
                m_held.outOfStep();
                context.TryCancel();
            }
            continue;
        }
        const auto what = static_cast<Tag>(reinterpret_cast<std::intptr_t>(tag));
        if (what == Finished) {
            queue.Shutdown();
            continue;
        }
        if (!ok) {
            if (!pendingFinish) {
                pendingFinish = true;
                reader->Finish(&status, reinterpret_cast<void *>(Finished));
            }
            continue;
        }
        if (what == Read) {
            lastHeard = std::chrono::steady_clock::now();
            const FeedNotice notice = fromMessage(message);
            const bool news = notice.everything || !notice.scopes.empty() || !notice.inStep;
            const FeedStatus before = m_held.status();
            m_held.apply(notice);
            if (m_changed && (news || before.state != m_held.status().state))
                m_changed();
        }
        reader->Read(&message, reinterpret_cast<void *>(Read));
    }
    {
        std::lock_guard lock(m_mutex);
        m_context = nullptr;
    }
    if (status.error_code() == grpc::StatusCode::UNIMPLEMENTED)
        return false;
    if (!status.ok() && !stopping())
        qCInfo(lcNet).noquote() << "change feed interrupted:"
                                << QString::fromStdString(status.error_message());
    return true;
}

} // namespace host
