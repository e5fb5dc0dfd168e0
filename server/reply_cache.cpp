#include "server/reply_cache.h"

namespace appserver {
namespace {

std::string megabytes(std::size_t bytes)
{
    return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

// What the packet holds, without ByteSizeLong's pass over every value (gRPC
// makes that pass again when it sends the reply).
std::size_t approximateBytes(const pb::DataPacket &packet)
{
    std::size_t bytes = sizeof(pb::DataPacket);
    for (const pb::Column &column : packet.columns()) {
        bytes +=
            sizeof(pb::Column) + column.nulls().size() + column.text().size()
            + sizeof(std::uint32_t) * static_cast<std::size_t>(column.text_lengths_size())
            + sizeof(double) * static_cast<std::size_t>(column.numbers_size())
            + sizeof(std::int64_t)
                  * static_cast<std::size_t>(column.date_times_size() + column.integers_size());
    }
    for (const pb::FieldDef &field : packet.fields())
        bytes += sizeof(pb::FieldDef) + field.name().size();
    return bytes;
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
    const google::protobuf::RepeatedPtrField<pb::Argument> &arguments, pb::DataPacket *packet,
    const Query &query)
{
    if (!limits().enabled || !db.reachesDatabase())
        return query(packet);

    std::string why;
    Result<Connection::Change> asked = db.changeSinceLastAsked(&why);
    if (!asked)
        return asked.error();
    const Connection::Change change = *asked;
    if (change == Connection::Change::Unknown) {
        noteUncached(db, why);
        return query(packet);
    }
    // Outdates every packet, of whichever connection: the others have not
    // asked yet, and this one's answer covers the same database.
    if (change == Connection::Change::Changed)
        m_generation.fetch_add(1);
    const std::uint64_t generation = m_generation.load();

    std::string key = db.identity();
    key += '\0';
    key += method;
    key += '\0';
    for (const pb::Argument &argument : arguments) {
        std::string bytes = argument.SerializeAsString();
        key += std::to_string(bytes.size());
        key += ':';
        key += bytes;
    }

    std::shared_ptr<const pb::DataPacket> kept;
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
        packet->CopyFrom(*kept);
        return rows;
    }

    Result<std::uint32_t> answered = query(packet);
    if (!answered)
        return answered;
    Entry entry;
    entry.key = std::move(key);
    entry.generation = generation;
    entry.rows = *answered;
    entry.bytes = approximateBytes(*packet) + entry.key.size();
    {
        std::lock_guard lock(m_mutex);
        if (entry.bytes > m_limits.maxBytes || m_limits.maxEntries == 0)
            return answered;
    }
    entry.packet = std::make_shared<const pb::DataPacket>(*packet);
    store(std::move(entry));
    return answered;
}

void ReplyCache::store(Entry entry)
{
    std::lock_guard lock(m_mutex);
    auto found = m_index.find(entry.key);
    if (found != m_index.end()) {
        // A slower call of an older generation must not replace a newer
        // packet.
        if (found->second->generation > entry.generation)
            return;
        m_bytes -= found->second->bytes;
        m_lru.erase(found->second);
        m_index.erase(found);
    }
    m_bytes += entry.bytes;
    m_lru.push_front(std::move(entry));
    m_index.emplace(m_lru.front().key, m_lru.begin());
    evictToLimits();
}

void ReplyCache::evictToLimits()
{
    while (!m_lru.empty() && (m_lru.size() > m_limits.maxEntries || m_bytes > m_limits.maxBytes)) {
        m_bytes -= m_lru.back().bytes;
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
