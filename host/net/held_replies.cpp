#include "host/net/held_replies.h"

#include <algorithm>
#include <iterator>

namespace host {
namespace {

// Notices kept to judge a reply that was read before the latest ones came.
constexpr std::size_t kPastNotices = 64;

} // namespace

void HeldReplies::setClock(std::function<Clock::time_point()> clock)
{
    std::lock_guard lock(m_mutex);
    m_clock = std::move(clock);
}

bool HeldReplies::trustedLocked() const
{
    return m_inStep && m_clock() - m_lastNotice < kStale;
}

bool HeldReplies::trusted() const
{
    std::lock_guard lock(m_mutex);
    return trustedLocked();
}

FeedStatus HeldReplies::status() const
{
    std::lock_guard lock(m_mutex);
    FeedStatus status = m_status;
    // A stalled stream shows as waiting before its reader notices.
    if (status.state == FeedStatus::State::Live && !trustedLocked())
        status.state = FeedStatus::State::Waiting;
    return status;
}

std::pair<std::string, std::uint64_t> HeldReplies::resumeFrom() const
{
    std::lock_guard lock(m_mutex);
    return {m_instance, m_generation};
}

std::size_t HeldReplies::size() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

void HeldReplies::setState(FeedStatus::State state)
{
    if (m_status.state == state)
        return;
    m_status.state = state;
    m_status.since = std::chrono::system_clock::now();
}

void HeldReplies::clearLocked()
{
    m_index.clear();
    m_entries.clear();
    m_bytes = 0;
}

HeldReplies::Entries::iterator HeldReplies::erase(Entries::iterator entry)
{
    m_index.erase(entry->request);
    m_bytes -= entry->bytes;
    return m_entries.erase(entry);
}

bool HeldReplies::touches(const std::vector<std::string> &sortedChanged,
                          const std::vector<std::string> &read)
{
    return std::any_of(read.begin(), read.end(), [&](const std::string &scope) {
        return std::binary_search(sortedChanged.begin(), sortedChanged.end(), scope);
    });
}

std::optional<platform::DataPacket> HeldReplies::find(const std::string &request)
{
    std::lock_guard lock(m_mutex);
    if (!trustedLocked())
        return std::nullopt;
    const auto found = m_index.find(request);
    if (found == m_index.end())
        return std::nullopt;
    // Moving a node keeps its iterator and its string valid.
    m_entries.splice(m_entries.begin(), m_entries, found->second);
    return found->second->packet;
}

bool HeldReplies::holds(const std::string &request) const
{
    std::lock_guard lock(m_mutex);
    return m_index.count(request) > 0;
}

bool HeldReplies::offer(std::string request, const FeedTag &tag, const platform::DataPacket &packet)
{
    if (!tag.present() || tag.bytes > kMaxBytes / 4)
        return false;
    std::lock_guard lock(m_mutex);
    if (!trustedLocked() || tag.instance != m_instance)
        return false;
    std::uint64_t generation = tag.generation;
    if (generation < m_generation) {
        // Read before notices that came since: held only when they are all
        // still known and none touched what it read.
        if (m_past.empty() || m_past.front().from > generation)
            return false;
        for (const Past &past : m_past) {
            if (past.to <= generation)
                continue;
            if (past.everything || touches(past.scopes, tag.scopes))
                return false;
        }
        generation = m_generation;
    }
    std::vector<std::string> scopes = tag.scopes;
    std::sort(scopes.begin(), scopes.end());
    if (const auto held = m_index.find(request); held != m_index.end())
        erase(held->second);
    m_entries.push_front(
        Entry{std::move(request), std::move(scopes), generation, tag.bytes, packet});
    m_index.emplace(m_entries.front().request, m_entries.begin());
    m_bytes += tag.bytes;
    while (m_entries.size() > kMaxEntries || m_bytes > kMaxBytes)
        erase(std::prev(m_entries.end()));
    return true;
}

void HeldReplies::apply(const FeedNotice &notice)
{
    std::lock_guard lock(m_mutex);
    m_lastNotice = m_clock();
    if (!notice.inStep) {
        m_inStep = false;
        setState(FeedStatus::State::Waiting);
        return;
    }
    if (notice.instance != m_instance) {
        // Another server, or the same one restarted: its generations say
        // nothing about what is held.
        clearLocked();
        m_past.clear();
        m_instance = notice.instance;
        m_generation = 0;
    }
    const bool changed = notice.everything || !notice.scopes.empty();
    if (notice.everything) {
        clearLocked();
        m_past.clear();
    } else if (changed) {
        for (auto entry = m_entries.begin(); entry != m_entries.end();) {
            if (entry->generation < notice.generation && touches(notice.scopes, entry->scopes))
                entry = erase(entry);
            else
                ++entry;
        }
    }
    if (changed || notice.generation != m_generation) {
        m_past.push_back(Past{m_generation, notice.generation, notice.everything, notice.scopes});
        while (m_past.size() > kPastNotices)
            m_past.pop_front();
    }
    m_generation = notice.generation;
    m_inStep = true;
    setState(FeedStatus::State::Live);
}

void HeldReplies::watching()
{
    std::lock_guard lock(m_mutex);
    setState(FeedStatus::State::Waiting);
}

void HeldReplies::outOfStep()
{
    std::lock_guard lock(m_mutex);
    m_inStep = false;
    if (m_status.state != FeedStatus::State::Off)
        setState(FeedStatus::State::Waiting);
}

void HeldReplies::noFeed()
{
    std::lock_guard lock(m_mutex);
    m_inStep = false;
    clearLocked();
    m_past.clear();
    m_instance.clear();
    setState(FeedStatus::State::Off);
}

} // namespace host
