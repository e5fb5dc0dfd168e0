#include "server/db/connection_pool.h"

#include <algorithm>

#include <pthread.h>

namespace appserver {

int ConnectionPool::defaultSize(Dialect dialect)
{
    const int perCores = static_cast<int>(std::max(2u, 2 * std::thread::hardware_concurrency()));
    return dialect == Dialect::PostgreSQL ? std::min(perCores, kMaxPostgresConnections) : perCores;
}

ConnectionPool::ConnectionPool(DatabaseTarget dbTarget, int size)
    : m_target(std::move(dbTarget))
    , m_connections(static_cast<std::size_t>(size > 0 ? size : defaultSize(m_target.dialect)))
{
    for (int i = 0; i < static_cast<int>(m_connections.size()); ++i)
        m_free.push_back(i);
    for (std::size_t i = 0; i < m_connections.size(); ++i)
        m_threads.emplace_back([this] { serve(); });
}

ConnectionPool::~ConnectionPool()
{
    {
        std::lock_guard lock(m_mutex);
        m_quitting = true;
    }
    m_changed.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

Status ConnectionPool::open()
{
    std::lock_guard lock(m_mutex);
    for (std::unique_ptr<Connection> &slot : m_connections) {
        if (slot && slot->isUsable())
            continue;
        Result<std::unique_ptr<Connection>> connection = openConnection(m_target);
        if (!connection)
            return connection.error();
        slot = std::move(*connection);
    }
    return success();
}

Result<Connection *> ConnectionPool::Lease::connection(
    std::chrono::steady_clock::time_point deadline)
{
    if (m_slot && m_slot->isUsable())
        return m_slot.get();
    m_slot.reset();
    Result<std::unique_ptr<Connection>> opened = openConnection(m_pool.m_target, deadline);
    if (!opened)
        return opened.error();
    m_slot = std::move(*opened);
    return m_slot.get();
}

void ConnectionPool::submit(Work work, std::chrono::steady_clock::time_point deadline,
                            Expired expired)
{
    int slot = -1;
    {
        std::lock_guard lock(m_mutex);
        if (m_free.empty() || !m_waiting.empty()) {
            m_waiting.push_back(Waiting{std::move(work), deadline, std::move(expired)});
            m_changed.notify_one();
            return;
        }
        // The connection freed last goes first: its page cache and prepared
        // statements are warm, and it has already caught up with the last
        // write, where the one idle longest would read both again.
        slot = m_free.back();
        m_free.pop_back();
    }
    runWith(slot, work);
}

std::optional<ConnectionPool::Waiting> ConnectionPool::takeExpired(
    std::chrono::steady_clock::time_point now)
{
    for (auto it = m_waiting.begin(); it != m_waiting.end(); ++it) {
        if (it->expired && it->deadline <= now) {
            Waiting taken = std::move(*it);
            m_waiting.erase(it);
            return taken;
        }
    }
    return std::nullopt;
}

std::chrono::steady_clock::time_point ConnectionPool::nextDeadline() const
{
    auto next = std::chrono::steady_clock::time_point::max();
    for (const Waiting &waiting : m_waiting) {
        if (waiting.expired)
            next = std::min(next, waiting.deadline);
    }
    return next;
}

void ConnectionPool::runWith(int slot, Work &work)
{
    Lease lease(*this, m_connections[static_cast<std::size_t>(slot)]);
    work(lease);
    {
        std::lock_guard lock(m_mutex);
        m_free.push_back(slot);
        if (m_waiting.empty())
            return;
    }
    m_changed.notify_one();
}

void ConnectionPool::serve()
{
    // Named for top -H and perf.
    pthread_setname_np(pthread_self(), "ate-database");
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (std::optional<Waiting> late = takeExpired(std::chrono::steady_clock::now())) {
            lock.unlock();
            late->expired();
            lock.lock();
            continue;
        }
        if (!m_free.empty() && !m_waiting.empty()) {
            Work work = std::move(m_waiting.front().work);
            m_waiting.pop_front();
            const int slot = m_free.back();
            m_free.pop_back();
            lock.unlock();
            runWith(slot, work);
            lock.lock();
            continue;
        }
        if (m_quitting && m_waiting.empty())
            return;
        const auto next = nextDeadline();
        if (next == std::chrono::steady_clock::time_point::max())
            m_changed.wait(lock);
        else
            m_changed.wait_until(lock, next);
    }
}

} // namespace appserver
