#include "testing/net/delay_proxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <list>
#include <string>
#include <vector>

namespace host::testing {
namespace {

using Clock = std::chrono::steady_clock;

int listenOnLoopback(int *port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(fd, 64) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}

int connectToLoopback(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

// Bytes read from one side, due at the other at a time.
struct Chunk
{
    Clock::time_point due;
    std::string bytes;
};

// One direction of a connection.
struct Direction
{
    int from = -1;
    int to = -1;
    std::deque<Chunk> queue;
    bool ended = false; // `from` reached its end
    std::atomic<std::uint64_t> *counted = nullptr;
};

struct Pair
{
    Direction up;   // client to server
    Direction down; // server to client
    bool broken = false;
};

// Reads what `from` has, queued `oneWay` from now.
void readSide(Direction &direction, std::chrono::microseconds oneWay, Pair &pair)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(direction.from, buffer, sizeof buffer);
        if (n > 0) {
            direction.queue.push_back({Clock::now() + oneWay, std::string(buffer, size_t(n))});
            continue;
        }
        if (n == 0)
            direction.ended = true;
        else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            pair.broken = true;
        return;
    }
}

// Writes what is due; the time the next chunk is due, or max.
Clock::time_point writeDue(Direction &direction, Pair &pair)
{
    const auto now = Clock::now();
    while (!direction.queue.empty() && direction.queue.front().due <= now) {
        Chunk &chunk = direction.queue.front();
        const ssize_t n =
            ::send(direction.to, chunk.bytes.data(), chunk.bytes.size(), MSG_NOSIGNAL);
        if (n < 0) {
            // Full: POLLOUT on `to` says when to go on.
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                pair.broken = true;
            return Clock::time_point::max();
        }
        direction.counted->fetch_add(std::uint64_t(n));
        chunk.bytes.erase(0, size_t(n));
        if (!chunk.bytes.empty())
            continue;
        direction.queue.pop_front();
    }
    if (direction.ended && direction.queue.empty())
        ::shutdown(direction.to, SHUT_WR);
    return direction.queue.empty() ? Clock::time_point::max() : direction.queue.front().due;
}

} // namespace

DelayProxy::DelayProxy(int upstreamPort, std::chrono::microseconds oneWay)
    : m_upstreamPort(upstreamPort)
    , m_oneWay(oneWay)
{
    m_listenFd = listenOnLoopback(&m_port);
    if (m_listenFd < 0 || ::pipe2(m_wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_port = 0;
        return;
    }
    m_thread = std::thread([this] { run(); });
}

DelayProxy::~DelayProxy()
{
    if (m_thread.joinable()) {
        m_stopping = true;
        const char byte = 0;
        (void)!::write(m_wakeFds[1], &byte, 1);
        m_thread.join();
    }
    for (int fd : {m_listenFd, m_wakeFds[0], m_wakeFds[1]}) {
        if (fd >= 0)
            ::close(fd);
    }
}

void DelayProxy::dropConnections()
{
    m_drop = true;
    const char byte = 0;
    (void)!::write(m_wakeFds[1], &byte, 1);
}

void DelayProxy::run()
{
    std::list<Pair> pairs;
    std::vector<pollfd> fds;
    for (;;) {
        auto next = Clock::time_point::max();
        for (Pair &pair : pairs) {
            next = std::min(next, writeDue(pair.up, pair));
            next = std::min(next, writeDue(pair.down, pair));
        }
        pairs.remove_if([](Pair &pair) {
            const bool done = pair.broken
                              || (pair.up.ended && pair.down.ended && pair.up.queue.empty()
                                  && pair.down.queue.empty());
            if (done) {
                ::close(pair.up.from);
                ::close(pair.down.from);
            }
            return done;
        });
        fds.assign({{m_listenFd, POLLIN, 0}, {m_wakeFds[0], POLLIN, 0}});
        const auto now = Clock::now();
        const auto due = [now](const Direction &direction) {
            return !direction.queue.empty() && direction.queue.front().due <= now;
        };
        // Each side: readable unless it ended, writable when the other
        // direction has bytes due to it.
        for (Pair &pair : pairs) {
            fds.push_back({pair.up.from,
                           short((pair.up.ended ? 0 : POLLIN) | (due(pair.down) ? POLLOUT : 0)),
                           0});
            fds.push_back({pair.down.from,
                           short((pair.down.ended ? 0 : POLLIN) | (due(pair.up) ? POLLOUT : 0)),
                           0});
        }
        int timeout = -1;
        if (next != Clock::time_point::max()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
            timeout = int(std::max<std::int64_t>(0, left.count()));
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0) {
            char drained[16];
            while (::read(m_wakeFds[0], drained, sizeof drained) > 0) {
            }
            if (m_stopping)
                break;
            if (m_drop.exchange(false)) {
                for (Pair &pair : pairs)
                    pair.broken = true;
                continue;
            }
        }
        std::size_t at = 2;
        for (Pair &pair : pairs) {
            for (Direction *direction : {&pair.up, &pair.down}) {
                if (fds[at++].revents & (POLLIN | POLLHUP | POLLERR))
                    readSide(*direction, m_oneWay, pair);
            }
        }
        if (fds[0].revents & POLLIN) {
            const int client =
                ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client >= 0) {
                const int server = connectToLoopback(m_upstreamPort);
                if (server < 0) {
                    ::close(client);
                } else {
                    const int on = 1;
                    for (int fd : {client, server})
                        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                    Pair &pair = pairs.emplace_back();
                    pair.up = {client, server, {}, false, &m_toServer};
                    pair.down = {server, client, {}, false, &m_toClient};
                }
            }
        }
    }
    for (Pair &pair : pairs) {
        ::close(pair.up.from);
        ::close(pair.down.from);
    }
}

} // namespace host::testing
