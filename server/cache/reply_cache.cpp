#include "server/cache/reply_cache.h"

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
    // A refusal holds for the limit it was made under.
    if (limits.maxReplyBytes != m_limits.maxReplyBytes) {
        for (auto it = m_lru.begin(); it != m_lru.end();) {
            if (!it->refusal) {
                ++it;
                continue;
            }
            m_bytes -= it->cost;
            m_index.erase(it->key);
            it = m_lru.erase(it);
        }
    }
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
    const google::protobuf::RepeatedPtrField<pb::Argument> &arguments, const TableSet &reads,
    ReplyPacket *packet, const Query &query)
{
    if (!limits().enabled || !db.reachesDatabase())
        return query(packet->message());

    std::string why;
    Result<Changes> asked = changeFeedOf(db).changesSinceLastAsked(db, &why);
    if (!asked)
        return asked.error();
    if (!asked->known) {
        noteUncached(db, why);
        return query(packet->message());
    }
    if (!asked->perTable)
        noteCoarse(db, why);
    // Outdates the packets of whichever connection: the others have not
    // asked yet, and this one's answer covers the same database.
    outdate(asked->tables);
    const Generations seen = generations();

    std::string key = keyOf(db, method, arguments);
    std::shared_ptr<const std::string> kept;
    std::optional<Error> refused;
    std::uint32_t rows = 0;
    {
        std::lock_guard lock(m_mutex);
        auto found = m_index.find(key);
        if (found != m_index.end() && current(*found->second)) {
            m_lru.splice(m_lru.begin(), m_lru, found->second);
            kept = found->second->packet;
            refused = found->second->refusal;
            rows = found->second->rows;
            ++m_counts.hits;
        } else {
            ++m_counts.misses;
        }
    }
    if (refused)
        return *refused;
    if (kept) {
        packet->setBytes(std::move(kept));
        return rows;
    }

    Result<std::uint32_t> answered = query(packet->message());
    if (!answered)
        return answered;
    Entry entry;
    entry.tables = reads;
    if (entry.tables.test(kUnwatchedTable)) {
        std::lock_guard lock(m_mutex);
        ++m_counts.unwatched;
        return answered;
    }
    // Read from no table at all: kept against every table all the same.
    if (entry.tables.none())
        entry.tables = allTables();
    entry.key = std::move(key);
    entry.generations = seen;
    entry.rows = *answered;
    // The reply needs these bytes anyway: kept, they cost no copy.
    entry.packet = packet->bytes();
    const std::size_t limit = limits().maxReplyBytes;
    if (limit > 0 && entry.packet->size() > limit) {
        const Error refusal = replyTooLarge(method, entry.packet->size(), limit);
        packet->clear();
        entry.packet.reset();
        entry.refusal = refusal;
        entry.cost =
            entry.key.size() + refusal.message.size() + refusal.detail.size() + kEntryOverhead;
        store(std::move(entry));
        return refusal;
    }
    entry.cost = entry.packet->size() + entry.key.size() + kEntryOverhead;
    store(std::move(entry));
    return answered;
}

void ReplyCache::outdate(const TableSet &tables)
{
    for (std::size_t t = 0; t < m_generations.size(); ++t) {
        if (tables.test(t))
            m_generations[t].fetch_add(1);
    }
}

ReplyCache::Generations ReplyCache::generations() const
{
    Generations now{};
    for (std::size_t t = 0; t < now.size(); ++t)
        now[t] = m_generations[t].load();
    return now;
}

bool ReplyCache::current(const Entry &entry) const
{
    for (std::size_t t = 0; t < m_generations.size(); ++t) {
        if (entry.tables.test(t) && m_generations[t].load() != entry.generations[t])
            return false;
    }
    return true;
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
        for (std::size_t t = 0; t < entry.generations.size(); ++t) {
            if (found->second->tables.test(t)
                && found->second->generations[t] > entry.generations[t])
                return;
        }
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

void ReplyCache::notice(const std::string &kind, Connection &db, const std::string &line)
{
    Notice notice;
    {
        std::lock_guard lock(m_mutex);
        if (m_noticed.emplace(kind + '\0' + db.identity(), true).second)
            notice = m_notice;
    }
    if (notice)
        notice(line);
}

void ReplyCache::noteUncached(Connection &db, const std::string &why)
{
    {
        std::lock_guard lock(m_mutex);
        ++m_counts.uncached;
    }
    notice("uncached", db,
           "reply cache off for this database, every call reads it (" + why
               + "; ate-appserver --init-schema brings the change counters)");
}

void ReplyCache::noteCoarse(Connection &db, const std::string &why)
{
    notice("coarse", db,
           "reply cache: any write to this database outdates every kept reply (" + why
               + "; ate-appserver --init-schema brings a change counter per table)");
}

void ReplyCache::probe(Connection &db)
{
    if (!limits().enabled)
        return;
    std::string why;
    Result<Changes> asked = changeFeedOf(db).changesSinceLastAsked(db, &why);
    if (!asked)
        return;
    if (!asked->known)
        noteUncached(db, why);
    else if (!asked->perTable)
        noteCoarse(db, why);
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
           + megabytes(l.maxBytes)
           + ", each checked against changes to the tables it read before every call";
}

} // namespace appserver
