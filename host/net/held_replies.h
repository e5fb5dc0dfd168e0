#pragma once

#include "platform/data_packet.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace host {

// What the server said of a reply: the generation of the database it is
// at least as new as, the server instance counting them, and the scopes it
// read. None (generation 0) from a server without the change feed.
struct FeedTag
{
    std::uint64_t generation = 0;
    std::string instance;
    std::vector<std::string> scopes;
    std::size_t bytes = 0; // its size on the wire

    bool present() const { return generation > 0 && !instance.empty(); }
};

// One change notice from the server's feed.
struct FeedNotice
{
    std::string instance;
    std::uint64_t generation = 0;
    bool inStep = false;
    bool everything = false;
    std::vector<std::string> scopes; // sorted
};

// Where the connection's feed stands, for the status bar.
struct FeedStatus
{
    enum class State { Off, Waiting, Live };
    State state = State::Off;
    std::chrono::system_clock::time_point since; // when it last changed state
};

// The replies of one connection that the server's change feed vouches
// for, keyed by their request (module, method and arguments), served again
// instead of a call while the feed is in step and has said nothing that
// outdates them. The feed's notices come on another thread; everything
// here is guarded by one mutex.
class HeldReplies
{
public:
    // Without a notice for this long the feed is taken as stalled, and
    // nothing is served until one comes (the server sends one at least
    // every two or three seconds).
    static constexpr std::chrono::seconds kStale{6};
    static constexpr std::size_t kMaxEntries = 512;
    static constexpr std::size_t kMaxBytes = std::size_t(64) << 20;

    using Clock = std::chrono::steady_clock;

    // The packet held for `request`, while the feed vouches for it.
    std::optional<platform::DataPacket> find(const std::string &request);
    // Holds the reply to `request` when the feed can vouch for it: in
    // step, with the same server instance, and no notice since the
    // reply's generation outdated what it read.
    bool offer(std::string request, const FeedTag &tag, const platform::DataPacket &packet);
    bool holds(const std::string &request) const;

    // From the feed's thread.
    void watching(); // the stream is being opened: waiting for its word
    void apply(const FeedNotice &notice);
    void outOfStep();
    // The server has no feed: nothing is ever held.
    void noFeed();

    // In step, with a notice recent enough.
    bool trusted() const;
    FeedStatus status() const;
    // The position to resume from after the stream broke.
    std::pair<std::string, std::uint64_t> resumeFrom() const;

    std::size_t size() const;

    // For tests: the clock the staleness is read on.
    void setClock(std::function<Clock::time_point()> clock);

private:
    struct Entry
    {
        std::string request;
        std::vector<std::string> scopes;
        std::uint64_t generation = 0;
        std::size_t bytes = 0;
        platform::DataPacket packet;
    };
    struct Past
    {
        std::uint64_t from = 0;
        std::uint64_t to = 0;
        bool everything = false;
        std::vector<std::string> scopes;
    };

    using Entries = std::list<Entry>;

    bool trustedLocked() const;
    void setState(FeedStatus::State state);
    void clearLocked();
    Entries::iterator erase(Entries::iterator entry);
    static bool touches(const std::vector<std::string> &sortedChanged,
                        const std::vector<std::string> &read);

    mutable std::mutex m_mutex;
    std::function<Clock::time_point()> m_clock = [] { return Clock::now(); };
    std::string m_instance;
    std::uint64_t m_generation = 0;
    bool m_inStep = false;
    Clock::time_point m_lastNotice;
    FeedStatus m_status;
    std::deque<Past> m_past; // the latest notices that changed something
    Entries m_entries;       // most recently used first
    // Each entry by its request (the view is of the entry's own string).
    std::unordered_map<std::string_view, Entries::iterator> m_index;
    std::size_t m_bytes = 0;
};

} // namespace host
