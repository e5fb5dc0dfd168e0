#pragma once

#include "server/transport/call_handler.h"

#include <memory>
#include <string>

namespace appserver {

struct ServerOptions
{
    std::string address = "127.0.0.1";
    int port = 50051;        // 0: any free port
    int threads = 0;         // database connections (the pool's size); 0: its default
    std::string tlsCertFile; // both set: TLS; both empty: plain
    std::string tlsKeyFile;
    int idleTimeoutMs = 5 * 60 * 1000; // an idle connection is closed after it
    int keepAliveMs = 60 * 1000;       // a silent peer is pinged after it
    // A connection that has not begun its HTTP/2 handshake by then is
    // closed, on plain TCP as over TLS.
    int handshakeTimeoutMs = 10 * 1000;
    // Connections held at most (plain TCP only); 0: the open-file limit
    // less a reserve.
    int maxConnections = 0;
};

// The gRPC front: a fixed set of worker threads, each with its own
// completion queue, answering AppServer.Call through a CallHandler. A worker
// runs a call's database work itself when a connection of the handler's
// pool is free, and hands it to the pool otherwise; there are more workers
// than connections, so calls that need no database are answered while the
// database hangs. Serves the standard health check as well. A listener that gRPC gave up (accept
// failing for want of descriptors) is replaced by a new one on the same
// port.
class GrpcServer
{
public:
    static Result<std::unique_ptr<GrpcServer>> start(const ServerOptions &options,
                                                     CallHandler &handler, CallLog &log);
    ~GrpcServer();

    int port() const;
    int workerCount() const;

    // Stops accepting calls, lets running ones finish for up to `grace`,
    // then ends the workers. Safe to call more than once.
    void shutdown(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));
    // The same, but a call still running at `giveUpAt` (a very large reply
    // being built, say) is not waited for: returns how many there are, and
    // the caller must then end the process without destroying the server.
    int stopWithin(std::chrono::milliseconds grace, std::chrono::steady_clock::time_point giveUpAt);

    class Impl;

private:
    explicit GrpcServer(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace appserver
