#include "server/transport/watch_queue.h"

#include <algorithm>

namespace appserver {

namespace pb = ate::appserver::v1;

// One host's stream of change notices.
class WatchStream
{
public:
    enum class What { Arrived, Written, Done };

    struct Op final : QueueTag
    {
        Op(WatchStream *stream, What what)
            : QueueTag(Kind::Watch)
            , stream(stream)
            , what(what)
        {
        }
        WatchStream *stream;
        What what;
    };

    explicit WatchStream(WatchQueue &queue)
        : m_queue(queue)
        , m_writer(&m_context)
    {
        // Before the request: the done tag comes once the stream has
        // started and then ended, however it ends.
        m_context.AsyncNotifyWhenDone(&m_done);
        queue.m_service.RequestWatchChanges(&m_context, &m_request, &m_writer, &queue.m_cq,
                                            &queue.m_cq, &m_arrived);
    }

    // False when the stream is over and may be deleted.
    bool handle(What what, bool ok)
    {
        switch (what) {
        case What::Arrived:
            if (!ok)
                return false; // the server stopped first; no done tag follows
            m_queue.offerSlot();
            admit();
            break;
        case What::Written:
            m_busy = false;
            if (ok && !m_finishing)
                offer(false);
            break;
        case What::Done:
            m_ended = true;
            break;
        }
        return !(m_ended && !m_busy);
    }

    // Sends what changed since the last notice, if anything did (or a
    // heartbeat is due); ends the stream when the queue stops.
    void offer(bool heartbeat)
    {
        if (m_busy || m_ended || m_finishing || !m_admitted)
            return;
        if (m_queue.stopping()) {
            finish(grpc::Status(grpc::StatusCode::UNAVAILABLE, "the server is stopping"));
            return;
        }
        const ChangeTail &tail = *m_queue.m_handler.changeTail();
        const FeedNotice notice = m_sentOnce
                                      ? tail.since(m_instance, m_generation)
                                      : tail.since(m_request.instance(), m_request.generation());
        const bool news = !m_sentOnce || notice.everything || !notice.scopes.empty()
                          || notice.generation != m_generation || notice.inStep != m_inStep
                          || notice.instance != m_instance;
        if (!news && !heartbeat)
            return;
        if (!news && std::chrono::steady_clock::now() - m_lastSent < WatchQueue::kHeartbeat)
            return;
        pb::ChangeNotice message;
        message.set_instance(notice.instance);
        message.set_generation(notice.generation);
        message.set_in_step(notice.inStep);
        message.set_everything(notice.everything);
        for (const std::string &scope : notice.scopes)
            message.add_scopes(scope);
        m_instance = notice.instance;
        m_generation = notice.generation;
        m_inStep = notice.inStep;
        m_sentOnce = true;
        m_lastSent = std::chrono::steady_clock::now();
        m_busy = true;
        m_writer.Write(message, &m_written);
    }

    bool admitted() const { return m_admitted; }

private:
    void admit()
    {
        std::string_view authorization;
        const auto &metadata = m_context.client_metadata();
        if (auto found = metadata.find("authorization"); found != metadata.end())
            authorization = std::string_view(found->second.data(), found->second.size());
        const std::string peer =
            m_queue.m_acceptor ? m_queue.m_acceptor->peerOf(m_context.peer()) : m_context.peer();
        CallRecord record;
        const grpc::Status admitted = m_queue.m_handler.admitWatcher(authorization, peer, &record);
        if (!admitted.ok()) {
            if (record.failed())
                m_queue.m_log.call(record);
            finish(admitted);
            return;
        }
        m_admitted = true;
        m_queue.m_streams.push_back(this);
        m_queue.tick();
        offer(false);
    }

    void finish(const grpc::Status &status)
    {
        m_finishing = true;
        m_busy = true;
        m_writer.Finish(status, &m_written);
    }

    WatchQueue &m_queue;
    grpc::ServerContext m_context;
    pb::WatchRequest m_request;
    grpc::ServerAsyncWriter<pb::ChangeNotice> m_writer;
    Op m_arrived{this, What::Arrived};
    Op m_written{this, What::Written};
    Op m_done{this, What::Done};
    bool m_admitted = false;
    bool m_busy = false; // a write or the finish is under way
    bool m_finishing = false;
    bool m_ended = false;
    bool m_sentOnce = false;
    std::string m_instance;
    std::uint64_t m_generation = 0;
    bool m_inStep = false;
    std::chrono::steady_clock::time_point m_lastSent;
};

WatchQueue::WatchQueue(AppServerService &service, grpc::ServerCompletionQueue &cq,
                       CallHandler &handler, const AcceptLoop *acceptor, CallLog &log)
    : m_service(service)
    , m_cq(cq)
    , m_handler(handler)
    , m_acceptor(acceptor)
    , m_log(log)
{
}

WatchQueue::~WatchQueue() = default;

void WatchQueue::arm(grpc::Alarm &alarm, bool &pending, QueueTag &tag,
                     std::chrono::system_clock::time_point when)
{
    if (pending || m_closed)
        return;
    pending = true;
    alarm.Set(&m_cq, when, &tag);
}

void WatchQueue::start()
{
    // Without a feed a host still gets its answer (UNIMPLEMENTED, from
    // admitWatcher) rather than a stream that never starts.
    offerSlot();
}

void WatchQueue::tick()
{
    std::lock_guard lock(m_mutex);
    if (!m_stopping)
        arm(m_tickAlarm, m_tickPending, m_tickTag,
            std::chrono::system_clock::now() + kHeartbeat / 2);
}

void WatchQueue::offerSlot()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping || m_closed)
            return;
    }
    new WatchStream(*this);
}

bool WatchQueue::stopping()
{
    std::lock_guard lock(m_mutex);
    return m_stopping;
}

void WatchQueue::wake()
{
    std::lock_guard lock(m_mutex);
    arm(m_wakeAlarm, m_wakePending, m_wakeTag, std::chrono::system_clock::now());
}

void WatchQueue::stop()
{
    std::lock_guard lock(m_mutex);
    m_stopping = true;
    arm(m_wakeAlarm, m_wakePending, m_wakeTag, std::chrono::system_clock::now());
}

void WatchQueue::close()
{
    std::lock_guard lock(m_mutex);
    m_closed = true;
    if (m_wakePending)
        m_wakeAlarm.Cancel();
    if (m_tickPending)
        m_tickAlarm.Cancel();
}

void WatchQueue::offerAll(bool heartbeat)
{
    // A copy: a stream that ends while offered leaves the list.
    const std::vector<WatchStream *> streams = m_streams;
    for (WatchStream *stream : streams)
        stream->offer(heartbeat);
}

void WatchQueue::forget(WatchStream *stream)
{
    m_streams.erase(std::remove(m_streams.begin(), m_streams.end(), stream), m_streams.end());
    delete stream;
}

void WatchQueue::handle(QueueTag *tag, bool ok)
{
    switch (tag->kind) {
    case QueueTag::Kind::Watch: {
        auto *op = static_cast<WatchStream::Op *>(tag);
        if (!op->stream->handle(op->what, ok))
            forget(op->stream);
        return;
    }
    case QueueTag::Kind::Wake: {
        {
            std::lock_guard lock(m_mutex);
            m_wakePending = false;
        }
        if (ok)
            offerAll(false);
        return;
    }
    case QueueTag::Kind::Tick: {
        {
            std::lock_guard lock(m_mutex);
            m_tickPending = false;
            if (!ok || m_stopping)
                return;
        }
        // An idle queue sleeps until its next stream comes.
        if (m_streams.empty())
            return;
        tick();
        offerAll(true);
        return;
    }
    case QueueTag::Kind::Call:
        break;
    }
}

} // namespace appserver
