#pragma once

#include <QString>

#include <chrono>
#include <string>
#include <vector>

namespace host {

// One server as the host names it.
struct Endpoint
{
    QString host;
    int port = 0;
};

// "srv1, srv2:50052, [::1]:50053": each entry with its own ":port" or
// `defaultPort`. A port that is no number is 0.
std::vector<Endpoint> parseEndpoints(const QString &hosts, int defaultPort);

// "host:port" (", "-separated for several) as the messages show it.
QString formatEndpoints(const std::vector<Endpoint> &list);

// localhost, ::1 or 127.0.0.0/8 as a dotted quad.
bool isLoopback(QString host);

// Several servers: gRPC's own resolvers take one name (which may resolve
// to several addresses) or a list of literal addresses, so names in a list
// are resolved here, at each connect. Empty when none resolves.
std::string addressListTarget(const std::vector<Endpoint> &list);

// Whether any of the servers accepts a TCP connection now, waiting until
// `limit` at most.
bool anyServerListening(const std::vector<Endpoint> &list,
                        std::chrono::system_clock::time_point limit);

} // namespace host
