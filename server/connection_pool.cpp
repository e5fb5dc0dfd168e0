#include "connection_pool.h"

#include <algorithm>
#include <vector>

namespace appserver {
namespace {

struct Entry
{
    std::uint64_t poolId;
    std::shared_ptr<std::atomic<bool>> alive;
    std::unique_ptr<Connection> connection;
};

// Connections of pools already destroyed are closed on this thread's next
// use of any pool, or when the thread ends.
struct ThreadConnections
{
    std::vector<Entry> entries;

    void purge()
    {
        std::erase_if(entries, [](const Entry &e) { return !e.alive->load(); });
    }
};

thread_local ThreadConnections t_connections;

std::atomic<std::uint64_t> g_nextPoolId{1};

}  // namespace

ConnectionPool::ConnectionPool(DatabaseTarget dbTarget)
    : m_target(std::move(dbTarget))
    , m_id(g_nextPoolId.fetch_add(1))
    , m_alive(std::make_shared<std::atomic<bool>>(true))
{}

ConnectionPool::~ConnectionPool()
{
    m_alive->store(false);
    t_connections.purge();
}

Result<Connection *> ConnectionPool::connection()
{
    t_connections.purge();
    auto &entries = t_connections.entries;
    auto found = std::find_if(entries.begin(), entries.end(),
                              [this](const Entry &e) { return e.poolId == m_id; });
    if (found != entries.end()) {
        if (found->connection->isUsable())
            return found->connection.get();
        entries.erase(found);
    }
    Result<std::unique_ptr<Connection>> opened = openConnection(m_target);
    if (!opened)
        return opened.error();
    Connection *raw = opened->get();
    entries.push_back(Entry{m_id, m_alive, std::move(*opened)});
    return raw;
}

}  // namespace appserver
