#pragma once

#include "host/net/held_replies.h"
#include "proto/appserver.grpc.pb.h"

#include <grpcpp/channel.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace host {

// Reads in the background what the screen is likely to ask next (the
// details of the flights around the cursor, the day itself), so that the
// call finds the reply held. Works only while the change feed vouches for
// what is held, never while a call the user waits for is under way, with a
// few requests in flight at once, and keeps its window: what a notice
// outdates is read again. Failures are dropped without a word; the call
// itself will meet them.
class Prefetcher
{
public:
    struct Job
    {
        std::string key; // the request's bytes, as HeldReplies keys it
        ate::appserver::v1::CallRequest request;
    };

    static constexpr int kInFlight = 8;

    Prefetcher(std::shared_ptr<grpc::Channel> channel, std::string authorization, HeldReplies &held,
               int deadlineMs);
    ~Prefetcher();
    Prefetcher(const Prefetcher &) = delete;
    Prefetcher &operator=(const Prefetcher &) = delete;

    // The requests to keep held, the most wanted first; replaces the last
    // window.
    void setWindow(std::vector<Job> jobs);
    // Something held may have been outdated: read the window again.
    void refresh();

    // A call the user waits for starts or ends: nothing new is sent
    // meanwhile.
    void userCallStarted();
    void userCallEnded();

    // Every request of the window is held and none is under way, or the
    // server has no feed: nothing will be read.
    bool settled();

    // Bytes received so far, for the link benchmark's budget.
    std::uint64_t bytesReceived() const { return m_bytes; }

private:
    void run();
    struct InFlight;
    void dispatch(std::unique_lock<std::mutex> &lock);

    std::shared_ptr<grpc::Channel> m_channel;
    std::string m_authorization;
    HeldReplies &m_held;
    int m_deadlineMs;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::vector<Job> m_window;
    std::set<std::string> m_pending; // keys in flight
    int m_userCalls = 0;
    std::atomic<std::uint64_t> m_bytes{0};
    std::thread m_thread;
};

} // namespace host
