#include "server/transport/auth_guard.h"

#include <algorithm>
#include <iterator>

namespace appserver {
namespace {

// Peers tracked at most; beyond it those whose budget has grown back are
// forgotten, so a scan from many addresses cannot grow the table for good.
constexpr std::size_t kMaxPeers = 4096;

} // namespace

std::string_view AuthGuard::peerHost(std::string_view peer)
{
    const auto colon = peer.rfind(':');
    const auto bracket = peer.rfind(']');
    if (colon == std::string_view::npos || (bracket != std::string_view::npos && colon < bracket))
        return peer;
    // "ipv4:1.2.3.4" has one colon before the address: keep it.
    if (peer.find(':') == colon)
        return peer;
    return peer.substr(0, colon);
}

AuthGuard::Budget &AuthGuard::budgetOf(std::string_view peer, Clock::time_point now)
{
    const std::string key(peer);
    auto found = m_connections.find(key);
    if (found == m_connections.end()) {
        if (m_connections.size() >= kMaxPeers) {
            std::erase_if(m_connections, [&](const auto &entry) {
                return entry.second.left + (now - entry.second.updated) / kRefill >= kBurst;
            });
        }
        if (m_connections.size() >= kMaxPeers)
            m_connections.erase(m_connections.begin());
        found = m_connections.emplace(key, Budget{kBurst, now}).first;
    }
    Budget &budget = found->second;
    const double grown = std::chrono::duration<double>(now - budget.updated)
                         / std::chrono::duration<double>(kRefill);
    budget.left = std::min<double>(kBurst, budget.left + std::max(0.0, grown));
    budget.updated = now;
    return budget;
}

AuthGuard::LogState &AuthGuard::logStateOf(std::string_view peer)
{
    const std::string key(peerHost(peer));
    if (m_hosts.size() >= kMaxPeers && m_hosts.find(key) == m_hosts.end())
        m_hosts.erase(m_hosts.begin());
    return m_hosts[key];
}

bool AuthGuard::admits(std::string_view peer, Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    if (m_connections.find(std::string(peer)) == m_connections.end())
        return true;
    return budgetOf(peer, now).left >= 1.0;
}

int AuthGuard::refused(std::string_view peer, Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    Budget &budget = budgetOf(peer, now);
    budget.left = std::max(0.0, budget.left - 1.0);
    LogState &state = logStateOf(peer);
    ++state.unlogged;
    if (state.everLogged && now - state.logged < kLogInterval)
        return 0;
    state.everLogged = true;
    state.logged = now;
    const int count = state.unlogged;
    state.unlogged = 0;
    return count;
}

} // namespace appserver
