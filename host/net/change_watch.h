#pragma once

#include "host/net/held_replies.h"

#include <grpcpp/channel.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace grpc {
class ClientContext;
}

namespace host {

// Follows the server's change feed on a thread of its own, over the
// connection's channel, and tells `held` what changed. A broken stream is
// opened again (quickly at first, then every few seconds) from the last
// generation seen, so the server can say exactly what was missed; a server
// without the feed is not asked again until the channel is opened anew. A
// stream silent for longer than the server's heartbeat is cancelled and
// opened again.
class ChangeWatch
{
public:
    // `changed` runs on the watch's thread after each notice that moved
    // something, and when the feed goes in or out of step.
    ChangeWatch(std::shared_ptr<grpc::Channel> channel, std::string authorization,
                HeldReplies &held, std::function<void()> changed);
    ~ChangeWatch();
    ChangeWatch(const ChangeWatch &) = delete;
    ChangeWatch &operator=(const ChangeWatch &) = delete;

private:
    void run();
    // One stream, until it ends; false when the server has no feed.
    bool follow();
    bool stopping();
    void pause(std::chrono::milliseconds wait);

    std::shared_ptr<grpc::Channel> m_channel;
    std::string m_authorization;
    HeldReplies &m_held;
    std::function<void()> m_changed;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    grpc::ClientContext *m_context = nullptr; // the stream's, to cancel it
    std::thread m_thread;
};

} // namespace host
