#pragma once

#include "server/changes/change_feed.h"
#include "server/db/database.h"
#include "server/db/watched_tables.h"
#include "server/reply/arguments.h"
#include "server/reply/outgoing_reply.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace appserver {

struct ReplyCacheLimits
{
    bool enabled = true;
    std::size_t maxEntries = 256;
    std::size_t maxBytes = std::size_t(64) << 20;
    // A packet above it is refused, and the refusal kept like a reply: a
    // day too large to send is not read again on every request. 0: none.
    std::size_t maxReplyBytes = 0;
};

// Keeps the serialised packet of each method call (database, method,
// arguments) and answers a repeated call with those bytes while the tables
// it read have not changed.
// Before every call the connection's change feed is asked which tables were
// written since it last asked; each table written (all of them when the
// database cannot tell which, or the connection is new) outdates every kept
// packet that read it. A packet remembers the tables its query declares it
// reads and each table's generation as it was before the query ran, so a
// write that landed while it ran outdates it too. A query that reads a
// table without a change counter is never kept.
// Thread-safe; the least recently used packets go first past the limits.
class ReplyCache
{
public:
    using Query = std::function<Result<std::uint32_t>(pb::DataPacket *)>;

    explicit ReplyCache(ReplyCacheLimits limits = {});

    void setLimits(ReplyCacheLimits limits);
    ReplyCacheLimits limits() const;

    // `arguments` are the call's raw arguments, compared byte for byte;
    // `reads` the tables the query reads. A miss runs `query` into the
    // packet's message and keeps the bytes it is serialised to; a hit gives
    // the packet those bytes.
    Result<std::uint32_t> run(Connection &db, std::string_view method,
                              const google::protobuf::RepeatedPtrField<pb::Argument> &arguments,
                              const TableSet &reads, ReplyPacket *packet, const Query &query);

    struct Counts
    {
        std::uint64_t hits = 0;
        std::uint64_t misses = 0;
        std::uint64_t uncached = 0;  // calls on a database that cannot tell changes
        std::uint64_t unwatched = 0; // replies not kept: they read an unwatched table
        std::size_t entries = 0;
        std::size_t bytes = 0;
    };
    Counts counts() const;

    // For the start-up log: on or off, and the limits.
    std::string describe() const;

    // Asks a connection once, so that a database that cannot tell changes
    // is named in the log at start rather than at the first call.
    void probe(Connection &db);

    // Set once for a database that cannot tell changes, and once for one
    // that cannot tell which table changed: the reason, for one log line.
    using Notice = std::function<void(const std::string &)>;
    void setNotice(Notice notice);

private:
    using Generations = std::array<std::uint64_t, kWatchedTables.size() + 1>;

    struct Entry
    {
        std::string key;
        TableSet tables;
        Generations generations{};
        std::uint32_t rows = 0;
        std::size_t cost = 0; // bytes held, key included
        std::shared_ptr<const std::string> packet;
        std::optional<Error> refusal; // instead of a packet
    };

    void store(Entry entry);
    void outdate(const TableSet &tables);
    Generations generations() const;
    bool current(const Entry &entry) const;
    void noteUncached(Connection &db, const std::string &why);
    void noteCoarse(Connection &db, const std::string &why);
    void notice(const std::string &kind, Connection &db, const std::string &line);
    void evictToLimits();

    mutable std::mutex m_mutex;
    ReplyCacheLimits m_limits;
    std::array<std::atomic<std::uint64_t>, kWatchedTables.size() + 1> m_generations{};
    std::list<Entry> m_lru; // most recently used first
    std::unordered_map<std::string_view, std::list<Entry>::iterator> m_index;
    std::size_t m_bytes = 0;
    Counts m_counts;
    Notice m_notice;
    std::unordered_map<std::string, bool> m_noticed; // kind and database
};

} // namespace appserver
