#include "host/net/endpoints.h"

#include <QByteArray>
#include <QStringList>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace host {

std::vector<Endpoint> parseEndpoints(const QString &hosts, int defaultPort)
{
    std::vector<Endpoint> list;
    for (QString entry : hosts.split(QLatin1Char(','))) {
        entry = entry.trimmed();
        Endpoint endpoint{entry, defaultPort};
        // "name:port" or "[v6]:port" bring their own port; a bare IPv6
        // literal has colons of its own.
        const int colon = entry.lastIndexOf(QLatin1Char(':'));
        const bool bracketed = entry.startsWith(QLatin1Char('['));
        const bool hasPort = colon > 0
                             && (bracketed ? entry.lastIndexOf(QLatin1Char(']')) == colon - 1
                                           : entry.indexOf(QLatin1Char(':')) == colon);
        if (hasPort) {
            bool number = false;
            endpoint.port = entry.mid(colon + 1).toInt(&number);
            if (!number)
                endpoint.port = 0;
            endpoint.host = entry.left(colon);
        }
        if (endpoint.host.startsWith(QLatin1Char('[')) && endpoint.host.endsWith(QLatin1Char(']')))
            endpoint.host = endpoint.host.mid(1, endpoint.host.size() - 2);
        list.push_back(endpoint);
    }
    return list;
}

QString formatEndpoints(const std::vector<Endpoint> &list)
{
    QStringList shown;
    for (const Endpoint &endpoint : list) {
        // An IPv6 literal needs brackets before the port.
        const bool ipv6 = endpoint.host.contains(QLatin1Char(':'));
        shown << (ipv6 ? QStringLiteral("[%1]").arg(endpoint.host) : endpoint.host)
                     + QLatin1Char(':') + QString::number(endpoint.port);
    }
    return shown.join(QStringLiteral(", "));
}

bool isLoopback(QString host)
{
    host = host.trimmed().toLower();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host == QLatin1String("localhost") || host == QLatin1String("::1"))
        return true;
    // 127.0.0.0/8, written as a dotted quad.
    const QStringList parts = host.split(QLatin1Char('.'));
    if (parts.size() != 4 || parts.first() != QLatin1String("127"))
        return false;
    for (const QString &part : parts) {
        bool number = false;
        const int byte = part.toInt(&number);
        if (!number || byte < 0 || byte > 255)
            return false;
    }
    return true;
}

std::string addressListTarget(const std::vector<Endpoint> &list)
{
    QStringList v4, v6;
    for (const Endpoint &endpoint : list) {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *found = nullptr;
        if (getaddrinfo(endpoint.host.toUtf8().constData(), nullptr, &hints, &found) != 0)
            continue;
        for (addrinfo *a = found; a; a = a->ai_next) {
            char text[NI_MAXHOST];
            if (getnameinfo(a->ai_addr, a->ai_addrlen, text, sizeof text, nullptr, 0,
                            NI_NUMERICHOST)
                != 0)
                continue;
            const QString address = QString::fromLatin1(text);
            if (a->ai_family == AF_INET)
                v4 << QStringLiteral("%1:%2").arg(address).arg(endpoint.port);
            else if (a->ai_family == AF_INET6)
                v6 << QStringLiteral("[%1]:%2").arg(address).arg(endpoint.port);
        }
        freeaddrinfo(found);
    }
    v4.removeDuplicates();
    v6.removeDuplicates();
    // One list holds one family; IPv4 is what a LAN of servers has.
    if (!v4.isEmpty())
        return "ipv4:" + v4.join(QLatin1Char(',')).toStdString();
    if (!v6.isEmpty())
        return "ipv6:" + v6.join(QLatin1Char(',')).toStdString();
    return {};
}

// Whether any of the servers accepts a TCP connection now, waiting until
// `limit` at most. gRPC does not tell when its own attempt fails (the
// channel stays in its failure state), so this tells a dead server (refused
// at once) from one that is only slow to complete the connection.
bool anyServerListening(const std::vector<Endpoint> &list,
                        std::chrono::system_clock::time_point limit)
{
    std::vector<pollfd> sockets;
    for (const Endpoint &endpoint : list) {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo *found = nullptr;
        const QByteArray port = QByteArray::number(endpoint.port);
        if (getaddrinfo(endpoint.host.toUtf8().constData(), port.constData(), &hints, &found) != 0)
            continue;
        for (addrinfo *a = found; a; a = a->ai_next) {
            const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                    a->ai_protocol);
            if (fd < 0)
                continue;
            if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
                ::close(fd);
                for (const pollfd &open : sockets)
                    ::close(open.fd);
                freeaddrinfo(found);
                return true;
            }
            if (errno == EINPROGRESS)
                sockets.push_back({fd, POLLOUT, 0});
            else
                ::close(fd);
        }
        freeaddrinfo(found);
    }
    bool listening = false;
    while (!sockets.empty() && !listening) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              limit - std::chrono::system_clock::now())
                              .count();
        if (left <= 0 || ::poll(sockets.data(), sockets.size(), static_cast<int>(left)) <= 0)
            break;
        for (auto it = sockets.begin(); it != sockets.end();) {
            if (it->revents == 0) {
                ++it;
                continue;
            }
            int error = 0;
            socklen_t size = sizeof error;
            ::getsockopt(it->fd, SOL_SOCKET, SO_ERROR, &error, &size);
            listening = listening || error == 0;
            ::close(it->fd);
            it = sockets.erase(it);
        }
    }
    for (const pollfd &open : sockets)
        ::close(open.fd);
    return listening;
}

} // namespace host
