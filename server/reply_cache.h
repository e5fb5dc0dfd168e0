#pragma once

#include "server/arguments.h"
#include "server/database.h"
#include "server/outgoing_reply.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace appserver {

struct ReplyCacheLimits
{
    bool enabled = true;
    std::size_t maxEntries = 256;
    std::size_t maxBytes = std::size_t(64) << 20;
};

// Keeps the serialised packet of each method call (database, method,
// arguments) and answers a repeated call with those bytes while the
// database has not changed.
// Before every call the connection is asked whether anything was committed
// since it last asked; whenever one says yes (or is new), every kept packet
// is outdated at once. A packet is kept under the generation read before
// its query ran, so a write that landed while it ran outdates it too.
// Thread-safe; the least recently used packets go first past the limits.
class ReplyCache
{
public:
    using Query = std::function<Result<std::uint32_t>(pb::DataPacket *)>;

    explicit ReplyCache(ReplyCacheLimits limits = {});

    void setLimits(ReplyCacheLimits limits);
    ReplyCacheLimits limits() const;

    // `arguments` are the call's raw arguments, compared byte for byte. A
    // miss runs `query` into the packet's message and keeps the bytes it is
    // serialised to; a hit gives the packet those bytes.
    Result<std::uint32_t> run(Connection &db, std::string_view method,
                              const google::protobuf::RepeatedPtrField<pb::Argument> &arguments,
                              ReplyPacket *packet, const Query &query);

    struct Counts
    {
        std::uint64_t hits = 0;
        std::uint64_t misses = 0;
        std::uint64_t uncached = 0; // calls on a database that cannot tell changes
        std::size_t entries = 0;
        std::size_t bytes = 0;
    };
    Counts counts() const;

    // For the start-up log: on or off, and the limits.
    std::string describe() const;

    // Asks a connection once, so that a database that cannot tell changes
    // is named in the log at start rather than at the first call.
    void probe(Connection &db);

    // Set once for a database that cannot tell changes: the reason, for one
    // log line.
    using Notice = std::function<void(const std::string &)>;
    void setNotice(Notice notice);

private:
    struct Entry
    {
        std::string key;
        std::uint64_t generation = 0;
        std::uint32_t rows = 0;
        std::size_t cost = 0; // bytes held, key included
        std::shared_ptr<const std::string> packet;
    };

    void store(Entry entry);
    void noteUncached(Connection &db, const std::string &why);
    void evictToLimits();

    mutable std::mutex m_mutex;
    ReplyCacheLimits m_limits;
    std::atomic<std::uint64_t> m_generation{1};
    std::list<Entry> m_lru; // most recently used first
    std::unordered_map<std::string_view, std::list<Entry>::iterator> m_index;
    std::size_t m_bytes = 0;
    Counts m_counts;
    Notice m_notice;
    std::unordered_map<std::string, bool> m_noticed;
};

// The server's cache, shared by its workers.
ReplyCache &replyCache();

} // namespace appserver
