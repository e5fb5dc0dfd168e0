#pragma once

#include "database.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace appserver {

// Hands every thread its own connection to one database, opened on first
// use and kept for the thread's life (a thread_local holder), so calls never
// wait on each other for a connection and prepared statements stay warm.
// A connection the server dropped is replaced at the next call.
class ConnectionPool
{
public:
    explicit ConnectionPool(DatabaseTarget dbTarget);
    ~ConnectionPool();
    ConnectionPool(const ConnectionPool &) = delete;
    ConnectionPool &operator=(const ConnectionPool &) = delete;

    Result<Connection *> connection();
    const DatabaseTarget &databaseTarget() const { return m_target; }

private:
    DatabaseTarget m_target;
    std::uint64_t m_id;
    std::shared_ptr<std::atomic<bool>> m_alive;
};

}  // namespace appserver
