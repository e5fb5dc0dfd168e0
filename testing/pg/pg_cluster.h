#pragma once

#include <string>

namespace appserver::testing {

// A PostgreSQL 15 cluster of one test's own, to stop, restart and hang
// without disturbing anything else. It listens only on a Unix socket in its
// own folder, so two of them never share a port. Owned by the postgres
// system user when the tests run as root (PostgreSQL refuses root).
class ThrowawayCluster
{
public:
    ThrowawayCluster() = default;
    ~ThrowawayCluster();
    ThrowawayCluster(const ThrowawayCluster &) = delete;
    ThrowawayCluster &operator=(const ThrowawayCluster &) = delete;

    // Empty on success, otherwise why not.
    std::string create();
    bool stop();
    bool start();
    bool restart();
    // SIGSTOP / SIGCONT to the server and all its processes: a database
    // that hangs without closing anything.
    bool pause();
    bool resume();

    std::string conninfo() const;

private:
    bool pgCtl(const std::string &action);
    bool signalAll(int signal);

    std::string m_folder;
    bool m_running = false;
    bool m_paused = false;
};

} // namespace appserver::testing
