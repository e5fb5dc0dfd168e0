#include "server/reply_cache.h"

namespace appserver {
namespace {

std::string megabytes(std::size_t bytes)
{
    return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

// What an entry holds beside its key and packet: the entry, the list's
// node and the index's.
constexpr std::size_t kEntryOverhead = 128;

// Database, method and each argument's bytes behind its length, so that no
// two calls share a key; one pass over each argument, no allocation but the
// key's.
std::string keyOf(Connection &db, std::string_view method,
                  const google::protobuf::RepeatedPtrField<pb::Argument> &arguments)
{
    std::string key;
    key.reserve(db.identity().size() + method.size() + 2 + 24 * arguments.size());
    key += db.identity();
    key += '\0';
    key += method;
    key += '\0';
    for (const pb::Argument &argument : arguments) {
        const std::size_t size = argument.ByteSizeLong();
        appendVarint(key, size);
        const std::size_t at = key.size();
        key.resize(at + size);
        argument.SerializeWithCachedSizesToArray(reinterpret_cast<std::uint8_t *>(key.data() + at));
    }
    return key;
}

} // namespace

ReplyCache::ReplyCache(ReplyCacheLimits limits)
    : m_limits(limits)
{
}

void ReplyCache::setLimits(ReplyCacheLimits limits)
{
    std::lock_guard lock(m_mutex);
    m_limits = limits;
    evictToLimits();
}

ReplyCacheLimits ReplyCache::limits() const
{
    std::lock_guard lock(m_mutex);
    return m_limits;
}

void ReplyCache::setNotice(Notice notice)
{
    std::lock_guard lock(m_mutex);
    m_notice = std::move(notice);
}

Result<std::uint32_t> ReplyCache::run(
    Connection &db, std::string_view method,
    const google::protobuf::RepeatedPtrField<pb::Argument> &arguments, ReplyPacket *packet,
    const Query &query)
{
    if (!limits().enabled || !db.reachesDatabase())
        return query(packet->message());

    std::string why;
    Result<Connection::Change> asked = db.changeSinceLastAsked(&why);
    if (!asked)
        return asked.error();
    const Connection::Change change = *asked;
    if (change == Connection::Change::Unknown) {
        noteUncached(db, why);
        return query(packet->message());
    }
    // Outdates every packet, of whichever connection: the others have not
    // asked yet, and this one's answer covers the same database.
    if (change == Connection::Change::Changed)
        m_generation.fetch_add(1);
    const std::uint64_t generation = m_generation.load();

    std::string key = keyOf(db, method, arguments);
    std::shared_ptr<const std::string> kept;
    std::uint32_t rows = 0;
    {
        std::lock_guard lock(m_mutex);
        auto found = m_index.find(key);
        if (found != m_index.end() && found->second->generation == generation) {
            m_lru.splice(m_lru.begin(), m_lru, found->second);
            kept = found->second->packet;
            rows = found->second->rows;
            ++m_counts.hits;
        } else {
            ++m_counts.misses;
        }
    }
    if (kept) {
        packet->setBytes(std::move(kept));
        return rows;
    }

    Result<std::uint32_t> answered = query(packet->message());
    if (!answered)
        return answered;
    Entry entry;
    entry.key = std::move(key);
    entry.generation = generation;
    entry.rows = *answered;
    // The reply needs these bytes anyway: kept, they cost no copy.
    entry.packet = packet->bytes();
    entry.cost = entry.packet->size() + entry.key.size() + kEntryOverhead;
    store(std::move(entry));
    return answered;
}

void ReplyCache::store(Entry entry)
{
    std::lock_guard lock(m_mutex);
    if (entry.cost > m_limits.maxBytes || m_limits.maxEntries == 0)
        return;
    auto found = m_index.find(entry.key);
    if (found != m_index.end()) {
        // A slower call of an older generation must not replace a newer
        // packet.
        if (found->second->generation > entry.generation)
            return;
        m_bytes -= found->second->cost;
        m_lru.erase(found->second);
        m_index.erase(found);
    }
    m_bytes += entry.cost;
    m_lru.push_front(std::move(entry));
    m_index.emplace(m_lru.front().key, m_lru.begin());
    evictToLimits();
}

void ReplyCache::evictToLimits()
{
    while (!m_lru.empty() && (m_lru.size() > m_limits.maxEntries || m_bytes > m_limits.maxBytes)) {
        m_bytes -= m_lru.back().cost;
        m_index.erase(m_lru.back().key);
        m_lru.pop_back();
    }
}

void ReplyCache::noteUncached(Connection &db, const std::string &why)
{
    Notice notice;
    {
        std::lock_guard lock(m_mutex);
        ++m_counts.uncached;
        if (m_noticed.emplace(db.identity(), true).second)
            notice = m_notice;
    }
    if (notice) {
        notice("reply cache off for this database, every call reads it (" + why
               + "; ate-appserver --init-schema brings the change counter)");
    }
}

void ReplyCache::probe(Connection &db)
{
    if (!limits().enabled)
        return;
    std::string why;
    Result<Connection::Change> asked = db.changeSinceLastAsked(&why);
    if (asked && *asked == Connection::Change::Unknown)
        noteUncached(db, why);
}

ReplyCache::Counts ReplyCache::counts() const
{
    std::lock_guard lock(m_mutex);
    Counts counts = m_counts;
    counts.entries = m_lru.size();
    counts.bytes = m_bytes;
    return counts;
}

std::string ReplyCache::describe() const
{
    const ReplyCacheLimits l = limits();
    if (!l.enabled)
        return "reply cache off (--no-reply-cache)";
    return "reply cache holds up to " + std::to_string(l.maxEntries) + " replies and "
           + megabytes(l.maxBytes) + ", checked against the database's changes before every call";
}

ReplyCache &replyCache()
{
    static ReplyCache cache;
    return cache;
}

} // namespace appserver
