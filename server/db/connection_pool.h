#pragma once

#include "server/db/database.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace appserver {

// A fixed number of connections to one database, each used by one piece of
// work at a time, and the threads that run the work which found them all
// busy. Work is submitted, never waited for: it runs at once on the
// submitting thread when a connection is free (no hand-off), otherwise it
// queues for the pool's threads. So a database that hangs holds at most
// size() threads, and the threads that receive calls stay free for those
// that need no database.
class ConnectionPool
{
public:
    // `size` <= 0: defaultSize().
    explicit ConnectionPool(DatabaseTarget dbTarget, int size = 0);
    // Waits for the work running and queued.
    ~ConnectionPool();
    ConnectionPool(const ConnectionPool &) = delete;
    ConnectionPool &operator=(const ConnectionPool &) = delete;

    // Two per core; on PostgreSQL never more than kMaxPostgresConnections,
    // however many cores, since several servers share one database's
    // connection limit.
    static int defaultSize(Dialect dialect);
    static constexpr int kMaxPostgresConnections = 8;

    int size() const { return static_cast<int>(m_connections.size()); }
    const DatabaseTarget &databaseTarget() const { return m_target; }

    // Opens every connection now, before any work, so that a database the
    // pool cannot open stops the start instead of failing calls later.
    Status open();

    // One piece of work's hold on a connection.
    class Lease
    {
    public:
        // Checked before use: one that is no longer usable (the database
        // restarted, the file was replaced) is opened anew, connecting by
        // `deadline` at the latest.
        Result<Connection *> connection(std::chrono::steady_clock::time_point deadline =
                                            std::chrono::steady_clock::time_point::max());

    private:
        friend class ConnectionPool;
        Lease(ConnectionPool &pool, std::unique_ptr<Connection> &slot)
            : m_pool(pool)
            , m_slot(slot)
        {
        }
        ConnectionPool &m_pool;
        std::unique_ptr<Connection> &m_slot;
    };
    using Work = std::function<void(Lease &)>;
    using Expired = std::function<void()>;

    // Runs `work` now on this thread if a connection is free and no work
    // waits, otherwise on a pool thread once one is. Work still waiting at
    // `deadline` is dropped and `expired` runs instead, on a pool thread,
    // without a connection: a call is answered by its deadline even while
    // every connection hangs.
    void submit(Work work,
                std::chrono::steady_clock::time_point deadline =
                    std::chrono::steady_clock::time_point::max(),
                Expired expired = {});

private:
    void runWith(int slot, Work &work);
    void serve();

    DatabaseTarget m_target;
    std::vector<std::unique_ptr<Connection>> m_connections;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Connections no work holds, taken in turn so that every one is used
    // and checked.
    std::deque<int> m_free;
    struct Waiting
    {
        Work work;
        std::chrono::steady_clock::time_point deadline;
        Expired expired;
    };
    // Takes the first waiting work past its deadline out of the queue.
    std::optional<Waiting> takeExpired(std::chrono::steady_clock::time_point now);
    std::chrono::steady_clock::time_point nextDeadline() const;

    std::deque<Waiting> m_waiting;
    bool m_quitting = false;
    std::vector<std::thread> m_threads;
};

} // namespace appserver
