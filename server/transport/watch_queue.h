#pragma once

#include "server/transport/accept_loop.h"
#include "server/transport/app_server_service.h"
#include "server/transport/call_handler.h"

#include <grpcpp/alarm.h>

#include <chrono>
#include <mutex>
#include <vector>

namespace appserver {

class WatchStream;

// The change streams of one completion queue, all handled on its worker
// thread: each gets a notice when the feed moves (the feed wakes the queue
// through an alarm) and at least every kHeartbeat otherwise, so a host
// can tell a live stream from a stalled link. A stream whose write is
// still under way gets the next notice when it completes, with everything
// that changed meanwhile.
class WatchQueue
{
public:
    static constexpr std::chrono::seconds kHeartbeat{2};

    WatchQueue(AppServerService &service, grpc::ServerCompletionQueue &cq, CallHandler &handler,
               const AcceptLoop *acceptor, CallLog &log);
    ~WatchQueue();

    // On the queue's worker: waits for the first stream.
    void start();
    // On the queue's worker: one of the queue's tags came back.
    void handle(QueueTag *tag, bool ok);

    // From any thread: the feed moved.
    void wake();
    // Ends every stream (the hosts read from the server meanwhile) and
    // takes no new one.
    void stop();
    // Before the queue shuts down: no alarm may be set on it any more.
    void close();

private:
    friend class WatchStream;
    void offerSlot();
    // Heartbeats while the queue has streams.
    void tick();
    bool stopping();
    void offerAll(bool heartbeat);
    void forget(WatchStream *stream);
    void arm(grpc::Alarm &alarm, bool &pending, QueueTag &tag,
             std::chrono::system_clock::time_point when);

    AppServerService &m_service;
    grpc::ServerCompletionQueue &m_cq;
    CallHandler &m_handler;
    const AcceptLoop *m_acceptor;
    CallLog &m_log;

    std::mutex m_mutex; // the alarms and these flags
    grpc::Alarm m_wakeAlarm;
    grpc::Alarm m_tickAlarm;
    QueueTag m_wakeTag{QueueTag::Kind::Wake};
    QueueTag m_tickTag{QueueTag::Kind::Tick};
    bool m_wakePending = false;
    bool m_tickPending = false;
    bool m_stopping = false;
    bool m_closed = false;

    std::vector<WatchStream *> m_streams; // the worker's own
};

} // namespace appserver
