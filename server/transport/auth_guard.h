#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace appserver {

// Slows down token guessing: each connection (the peer with its port) may
// fail a few times in a row, then one more time per second. A connection
// over that budget is refused without its token being looked at, so the
// guesses it sends are worth nothing. Only the failing connection is
// held back: the other desks of its machine (behind NAT or on a terminal
// server they share one address) keep their own connections, and a right
// token on them is answered whatever the guesser does.
// Also decides which refusals are logged, per machine (the address without
// the port): its first, then one line per interval with the count of
// those not logged.
class AuthGuard
{
public:
    using Clock = std::chrono::steady_clock;

    static constexpr int kBurst = 5;
    static constexpr std::chrono::milliseconds kRefill{1000};
    static constexpr std::chrono::seconds kLogInterval{10};

    // False while the peer's connection has spent its budget of failures.
    bool admits(std::string_view peer, Clock::time_point now);

    // Records a refusal. Returns the number of refusals to report in one
    // log line (1 or more), or 0 when this one is only counted.
    int refused(std::string_view peer, Clock::time_point now);

    // "ipv4:10.0.0.7:51234" -> "ipv4:10.0.0.7"; each connection of a
    // machine comes from another port.
    static std::string_view peerHost(std::string_view peer);

private:
    struct Budget
    {
        double left = kBurst;
        Clock::time_point updated;
    };
    struct LogState
    {
        Clock::time_point logged;
        int unlogged = 0;
        bool everLogged = false;
    };
    Budget &budgetOf(std::string_view peer, Clock::time_point now);
    LogState &logStateOf(std::string_view peer);

    std::mutex m_mutex;
    std::unordered_map<std::string, Budget> m_connections;
    std::unordered_map<std::string, LogState> m_hosts;
};

} // namespace appserver
