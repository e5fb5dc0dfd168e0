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

AuthGuard::PeerState &AuthGuard::stateOf(std::string_view peer, Clock::time_point now)
{
    const std::string key(peerHost(peer));
    auto found = m_peers.find(key);
    if (found == m_peers.end()) {
        if (m_peers.size() >= kMaxPeers) {
            std::erase_if(m_peers, [&](const auto &entry) {
                return entry.second.budget + (now - entry.second.updated) / kRefill >= kBurst;
            });
        }
        if (m_peers.size() >= kMaxPeers)
            m_peers.erase(m_peers.begin());
        found = m_peers.emplace(key, PeerState{kBurst, now, now, 0, false}).first;
    }
    PeerState &state = found->second;
    const double grown =
        std::chrono::duration<double>(now - state.updated) / std::chrono::duration<double>(kRefill);
    state.budget = std::min<double>(kBurst, state.budget + std::max(0.0, grown));
    state.updated = now;
    return state;
}

bool AuthGuard::admits(std::string_view peer, Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    if (m_peers.find(std::string(peerHost(peer))) == m_peers.end())
        return true;
    return stateOf(peer, now).budget >= 1.0;
}

int AuthGuard::refused(std::string_view peer, Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    PeerState &state = stateOf(peer, now);
    state.budget = std::max(0.0, state.budget - 1.0);
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
