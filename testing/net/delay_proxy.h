#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace host::testing {

// A slow link on loopback: listens on 127.0.0.1 (any free port) and
// forwards every connection to 127.0.0.1:`upstreamPort`, each direction
// delayed by `oneWay`, so a round trip costs twice that. Counts the bytes
// that pass each way. One thread, polling; no Qt.
class DelayProxy
{
public:
    DelayProxy(int upstreamPort, std::chrono::microseconds oneWay);
    ~DelayProxy();
    DelayProxy(const DelayProxy &) = delete;
    DelayProxy &operator=(const DelayProxy &) = delete;

    // 0 when it could not listen.
    int port() const { return m_port; }
    std::uint64_t bytesToServer() const { return m_toServer.load(); }
    std::uint64_t bytesToClient() const { return m_toClient.load(); }
    // Closes every connection it carries, as a link that went down; new
    // ones are carried again.
    void dropConnections();

private:
    void run();

    int m_upstreamPort;
    std::chrono::microseconds m_oneWay;
    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1};
    int m_port = 0;
    std::atomic<std::uint64_t> m_toServer{0};
    std::atomic<std::uint64_t> m_toClient{0};
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_drop{false};
    std::thread m_thread;
};

} // namespace host::testing
