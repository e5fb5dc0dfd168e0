#pragma once

#include "server/common/result.h"
#include "server/transport/call_log.h"

#include <poll.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace grpc {
class Server;
}

namespace appserver {

// A workaround for gRPC 1.51, the version Debian 12 ships: it has no cap on
// incoming connections (later versions take
// GRPC_ARG_MAX_ALLOWED_INCOMING_CONNECTIONS), and its own listener gives up
// for good when accept fails for want of descriptors.
// Accepts plain TCP connections on a socket of its own and hands each to a
// gRPC server (AddInsecureChannelFromFd). Here the
// connections held are counted, one above `maxConnections` is closed at
// once, and a failed accept only drops that one connection (a spare
// descriptor makes room to accept and close it), so listening never ends.
class AcceptLoop
{
public:
    ~AcceptLoop();

    // Binds and listens; port 0 takes any free port. A connection is held
    // here until its first bytes (the HTTP/2 preface) come, at most
    // `handshakeTimeout`, and closed if they do not: gRPC's own handshake
    // timeout does not reach descriptors handed to it.
    static Result<std::unique_ptr<AcceptLoop>> listen(const std::string &address, int port,
                                                      int maxConnections, CallLog &log,
                                                      std::chrono::milliseconds handshakeTimeout);

    int port() const { return m_port; }
    // Starts accepting for `server`, which must outlive stop().
    void start(grpc::Server &server);
    // Stops accepting and closes the listening socket; connections handed
    // over stay with the server. Safe to call more than once.
    void stop();

    // gRPC names a peer handed over this way "fd:N": its real address, so
    // that what is kept per peer (the wrong-token budget) stays per machine.
    std::string peerOf(const std::string &grpcPeer) const;

    // Open-file limit minus a reserve for the database, the log and gRPC.
    static int defaultMaxConnections();

private:
    AcceptLoop() = default;
    void run(grpc::Server *server);
    void acceptOne();
    // Hands the waiting connections that have spoken to gRPC, and closes
    // those that stayed silent past the handshake timeout.
    void settleWaiting(grpc::Server *server, const std::vector<pollfd> &polled);
    int connectionsHeld();
    void noteDropped(const char *why);

    CallLog *m_log = nullptr;
    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1};
    int m_spareFd = -1;
    int m_port = 0;
    int m_maxConnections = 0;
    std::thread m_thread;
    std::chrono::milliseconds m_handshakeTimeout{10000};
    std::chrono::steady_clock::time_point m_lastRefusalLine{};
    int m_refusalsSinceLine = 0;

    // Accepted, not yet heard from: descriptor, address, and when it is
    // dropped.
    struct Waiting
    {
        int fd = -1;
        std::string peer;
        std::chrono::steady_clock::time_point dropAt;
    };
    std::vector<Waiting> m_waiting; // the loop's thread only

    // Descriptor -> socket inode and address of each connection handed
    // over: a descriptor whose inode changed was closed by gRPC (and reused).
    struct Held
    {
        unsigned long inode = 0;
        std::string peer;
    };
    mutable std::mutex m_mutex;
    std::map<int, Held> m_held;
};

} // namespace appserver
