#include "server/transport/accept_loop.h"

#include <grpcpp/server.h>
#include <grpcpp/server_posix.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace appserver {
namespace {

unsigned long inodeOf(int fd)
{
    struct stat info
    {
    };
    return ::fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode) ? info.st_ino : 0;
}

// As gRPC writes peers: "ipv4:10.0.0.5:41234", "ipv6:[::1]:41234".
std::string peerText(const sockaddr_storage &address)
{
    char host[INET6_ADDRSTRLEN] = "?";
    if (address.ss_family == AF_INET) {
        const auto &in = reinterpret_cast<const sockaddr_in &>(address);
        inet_ntop(AF_INET, &in.sin_addr, host, sizeof host);
        return std::string("ipv4:") + host + ":" + std::to_string(ntohs(in.sin_port));
    }
    const auto &in6 = reinterpret_cast<const sockaddr_in6 &>(address);
    inet_ntop(AF_INET6, &in6.sin6_addr, host, sizeof host);
    return std::string("ipv6:[") + host + "]:" + std::to_string(ntohs(in6.sin6_port));
}

Error cannotListen(const std::string &where, const std::string &why)
{
    return Error{"Não foi possível escutar em " + where + ".", "listen " + where + ": " + why};
}

} // namespace

AcceptLoop::~AcceptLoop()
{
    stop();
    for (int fd : {m_wakeFds[0], m_wakeFds[1], m_spareFd}) {
        if (fd >= 0)
            ::close(fd);
    }
}

int AcceptLoop::defaultMaxConnections()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 1000;
    const int files = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 1 << 20));
    return std::max(8, files - std::max(32, files / 4));
}

Result<std::unique_ptr<AcceptLoop>> AcceptLoop::listen(const std::string &address, int port,
                                                       int maxConnections, CallLog &log,
                                                       std::chrono::milliseconds handshakeTimeout)
{
    const std::string where =
        (address.find(':') != std::string::npos ? "[" + address + "]" : address) + ":"
        + std::to_string(port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo *found = nullptr;
    if (const int rc = getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found);
        rc != 0)
        return cannotListen(where, gai_strerror(rc));
    std::unique_ptr<AcceptLoop> loop(new AcceptLoop);
    loop->m_log = &log;
    loop->m_handshakeTimeout = handshakeTimeout;
    loop->m_maxConnections = maxConnections > 0 ? maxConnections : defaultMaxConnections();
    const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        freeaddrinfo(found);
        return cannotListen(where, std::strerror(errno));
    }
    loop->m_listenFd = fd;
    const int on = 1, off = 0;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    // "::" serves IPv4 clients too, as gRPC's own listener does.
    if (found->ai_family == AF_INET6)
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
    const bool bound = ::bind(fd, found->ai_addr, found->ai_addrlen) == 0;
    freeaddrinfo(found);
    if (!bound || ::listen(fd, SOMAXCONN) != 0)
        return cannotListen(where, std::strerror(errno));
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &length);
    loop->m_port =
        ntohs(local.ss_family == AF_INET ? reinterpret_cast<sockaddr_in &>(local).sin_port
                                         : reinterpret_cast<sockaddr_in6 &>(local).sin6_port);
    if (::pipe2(loop->m_wakeFds, O_CLOEXEC) != 0)
        return cannotListen(where, std::strerror(errno));
    loop->m_spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    return loop;
}

void AcceptLoop::start(grpc::Server &server)
{
    m_thread = std::thread([this, raw = &server] { run(raw); });
}

void AcceptLoop::stop()
{
    if (m_thread.joinable()) {
        const char byte = 0;
        (void)!::write(m_wakeFds[1], &byte, 1);
        m_thread.join();
    }
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
    }
}

std::string AcceptLoop::peerOf(const std::string &grpcPeer) const
{
    if (!grpcPeer.starts_with("fd:"))
        return grpcPeer;
    int fd = -1;
    std::from_chars(grpcPeer.data() + 3, grpcPeer.data() + grpcPeer.size(), fd);
    std::lock_guard lock(m_mutex);
    const auto held = m_held.find(fd);
    return held != m_held.end() ? held->second.peer : grpcPeer;
}

int AcceptLoop::connectionsHeld()
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_held,
                  [](const auto &entry) { return inodeOf(entry.first) != entry.second.inode; });
    return static_cast<int>(m_held.size() + m_waiting.size());
}

void AcceptLoop::run(grpc::Server *server)
{
    std::vector<pollfd> fds;
    for (;;) {
        fds.assign({{m_listenFd, POLLIN, 0}, {m_wakeFds[0], POLLIN, 0}});
        auto wakeAt = std::chrono::steady_clock::time_point::max();
        for (const Waiting &waiting : m_waiting) {
            fds.push_back({waiting.fd, POLLIN, 0});
            wakeAt = std::min(wakeAt, waiting.dropAt);
        }
        int timeout = -1;
        if (wakeAt != std::chrono::steady_clock::time_point::max()) {
            timeout = static_cast<int>(
                std::max<std::int64_t>(0, std::chrono::ceil<std::chrono::milliseconds>(
                                              wakeAt - std::chrono::steady_clock::now())
                                              .count()));
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            break;
        settleWaiting(server, fds);
        if (fds[0].revents != 0)
            acceptOne();
    }
    for (const Waiting &waiting : m_waiting)
        ::close(waiting.fd);
    m_waiting.clear();
}

void AcceptLoop::settleWaiting(grpc::Server *server, const std::vector<pollfd> &polled)
{
    const auto now = std::chrono::steady_clock::now();
    std::vector<Waiting> still;
    for (std::size_t i = 0; i < m_waiting.size(); ++i) {
        Waiting &waiting = m_waiting[i];
        const short events = polled.size() > i + 2 ? polled[i + 2].revents : 0;
        if (events & POLLIN) {
            const int on = 1;
            ::setsockopt(waiting.fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            {
                std::lock_guard lock(m_mutex);
                m_held[waiting.fd] = Held{inodeOf(waiting.fd), waiting.peer};
            }
            grpc::AddInsecureChannelFromFd(server, waiting.fd);
        } else if (events & (POLLHUP | POLLERR)) {
            ::close(waiting.fd);
        } else if (now >= waiting.dropAt) {
            ::close(waiting.fd);
            noteDropped("silent for the handshake timeout");
        } else {
            still.push_back(std::move(waiting));
        }
    }
    m_waiting = std::move(still);
}

void AcceptLoop::noteDropped(const char *why)
{
    ++m_refusalsSinceLine;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastRefusalLine >= std::chrono::seconds(10)) {
        m_log->info(std::string("connection dropped: ") + why + " ("
                    + std::to_string(m_refusalsSinceLine)
                    + " refused or dropped since the last line; at most "
                    + std::to_string(m_maxConnections) + " connections)");
        m_lastRefusalLine = now;
        m_refusalsSinceLine = 0;
    }
}

void AcceptLoop::acceptOne()
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    int fd = ::accept4(m_listenFd, reinterpret_cast<sockaddr *>(&address), &length,
                       SOCK_CLOEXEC | SOCK_NONBLOCK);
    bool refuse = false;
    if (fd < 0) {
        if (errno != EMFILE && errno != ENFILE)
            return;
        // Out of descriptors: the spare one makes room to take the waiting
        // connection off the queue and close it, instead of being woken
        // for it again and again.
        ::close(m_spareFd);
        fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        m_spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        refuse = true;
    }
    if (refuse || connectionsHeld() >= m_maxConnections) {
        ::close(fd);
        noteDropped("refused, the connections or descriptors are all taken");
        return;
    }
    m_waiting.push_back(
        Waiting{fd, peerText(address), std::chrono::steady_clock::now() + m_handshakeTimeout});
}

} // namespace appserver
