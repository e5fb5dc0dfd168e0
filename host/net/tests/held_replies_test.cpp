#include "host/net/held_replies.h"

#include <gtest/gtest.h>

namespace host {
namespace {

using namespace std::chrono_literals;

platform::DataPacket rows(int count)
{
    platform::DataPacket packet;
    packet.rowCount = count;
    return packet;
}

FeedTag tag(std::uint64_t generation, std::vector<std::string> scopes, std::string instance = "A")
{
    return FeedTag{generation, std::move(instance), std::move(scopes), 100};
}

FeedNotice notice(std::uint64_t generation, std::vector<std::string> scopes = {},
                  bool everything = false, std::string instance = "A")
{
    return FeedNotice{std::move(instance), generation, true, everything, std::move(scopes)};
}

class HeldRepliesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_held.setClock([this] { return m_now; });
        m_held.apply(notice(10, {}, true));
    }

    bool served(const std::string &request) { return m_held.find(request).has_value(); }

    HeldReplies::Clock::time_point m_now{std::chrono::hours(1)};
    HeldReplies m_held;
};

// Catches a held reply that outlives a change to what it read, or one
// dropped by a change to something else (the cache would then be useless
// on a busy day).
TEST_F(HeldRepliesTest, AChangeOutdatesOnlyTheRepliesThatReadIt)
{
    ASSERT_TRUE(m_held.offer("services 1", tag(10, {"S|1"}), rows(3)));
    ASSERT_TRUE(m_held.offer("services 2", tag(10, {"S|2"}), rows(4)));
    ASSERT_TRUE(m_held.offer("airlines", tag(10, {}), rows(5)));
    EXPECT_EQ(m_held.find("services 2")->rowCount, 4);

    m_held.apply(notice(11, {"S|1"}));
    EXPECT_FALSE(served("services 1"));
    EXPECT_TRUE(served("services 2"));
    EXPECT_TRUE(served("airlines")) << "no scope: only everything outdates it";

    m_held.apply(notice(12, {}, true));
    EXPECT_FALSE(served("services 2"));
    EXPECT_FALSE(served("airlines"));
}

// Catches the race a feed must close: a reply read before a change whose
// notice came first must not be held (it would show the old data until the
// next change); one read before an unrelated change may be.
TEST_F(HeldRepliesTest, AReplyReadBeforeANoticeItMissedIsNotHeld)
{
    m_held.apply(notice(11, {"S|1"}));
    m_held.apply(notice(12, {"S|2"}));
    EXPECT_FALSE(m_held.offer("services 1", tag(10, {"S|1"}), rows(3)));
    EXPECT_TRUE(m_held.offer("services 3", tag(10, {"S|3"}), rows(3)));
    // Newer than the feed: the notices still to come up to its generation
    // are already in it.
    EXPECT_TRUE(m_held.offer("services 4", tag(14, {"S|4"}), rows(3)));
    m_held.apply(notice(13, {"S|4"}));
    EXPECT_TRUE(served("services 4"));
    m_held.apply(notice(15, {"S|4"}));
    EXPECT_FALSE(served("services 4"));
    // From before an everything: never.
    m_held.apply(notice(16, {}, true));
    EXPECT_FALSE(m_held.offer("services 5", tag(15, {"S|5"}), rows(3)));
}

// Catches a cache trusted when the feed cannot vouch for it: a stream that
// broke or went silent, a server out of step with its database, another
// server or the same one restarted. What was held comes back only when the
// feed is in step again and said what changed meanwhile.
TEST_F(HeldRepliesTest, NothingIsServedWhileTheFeedCannotVouch)
{
    ASSERT_TRUE(m_held.offer("services 1", tag(10, {"S|1"}), rows(3)));
    ASSERT_TRUE(m_held.offer("services 2", tag(10, {"S|2"}), rows(3)));

    m_held.outOfStep();
    EXPECT_FALSE(served("services 1"));
    EXPECT_FALSE(m_held.offer("services 3", tag(10, {"S|3"}), rows(3)));
    EXPECT_EQ(m_held.status().state, FeedStatus::State::Waiting);
    // Back, with what was missed.
    m_held.apply(notice(11, {"S|1"}));
    EXPECT_FALSE(served("services 1"));
    EXPECT_TRUE(served("services 2"));

    m_now += HeldReplies::kStale;
    EXPECT_FALSE(served("services 2")) << "a silent stream vouches for nothing";
    EXPECT_EQ(m_held.status().state, FeedStatus::State::Waiting);
    m_held.apply(notice(11));
    EXPECT_TRUE(served("services 2"));

    m_held.apply(FeedNotice{"A", 11, false, false, {}});
    EXPECT_FALSE(served("services 2")) << "the server lost track of its database";
    m_held.apply(notice(11));

    EXPECT_FALSE(m_held.offer("other", tag(11, {"S|9"}, "B"), rows(1)));
    m_held.apply(notice(11, {}, false, "B"));
    EXPECT_FALSE(served("services 2")) << "a restarted server's generations start afresh";

    m_held.noFeed();
    EXPECT_FALSE(m_held.offer("services 2", tag(11, {"S|2"}, "B"), rows(3)));
    EXPECT_EQ(m_held.status().state, FeedStatus::State::Off);
}

// Catches a server without the feed (an older one) whose replies would be
// held: they carry no generation.
TEST_F(HeldRepliesTest, AReplyWithoutAGenerationIsNeverHeld)
{
    EXPECT_FALSE(m_held.offer("day", FeedTag{}, rows(7)));
    EXPECT_FALSE(served("day"));
}

// Catches a held set that grows without bound over a long day, serves a
// reply it already dropped, or forgets the newest reply to a request asked
// again: the cursor moving up and down a busy day offers the same
// requests over and over.
TEST_F(HeldRepliesTest, TheLeastRecentlyUsedReplyGivesWayAndARepeatReplacesItsOlderCopy)
{
    const auto request = [](std::size_t i) { return "services " + std::to_string(i); };
    for (std::size_t i = 0; i < HeldReplies::kMaxEntries; ++i)
        ASSERT_TRUE(m_held.offer(request(i), tag(10, {"S|" + std::to_string(i)}), rows(1)));
    // The first one used again, then a new one: the second is the oldest.
    EXPECT_TRUE(served(request(0)));
    ASSERT_TRUE(m_held.offer("services new", tag(10, {"S|new"}), rows(1)));
    EXPECT_EQ(m_held.size(), HeldReplies::kMaxEntries);
    EXPECT_TRUE(served(request(0)));
    EXPECT_FALSE(served(request(1)));
    EXPECT_FALSE(m_held.holds(request(1)));

    // A request in the middle asked again: one copy, the new one.
    ASSERT_TRUE(m_held.offer(request(5), tag(10, {"S|5"}), rows(7)));
    EXPECT_EQ(m_held.size(), HeldReplies::kMaxEntries);
    ASSERT_TRUE(m_held.holds(request(5)));
    EXPECT_EQ(m_held.find(request(5))->rowCount, 7);
    m_held.apply(notice(11, {"S|5"}));
    EXPECT_FALSE(m_held.holds(request(5))) << "an older copy survived the notice";
    EXPECT_EQ(m_held.size(), HeldReplies::kMaxEntries - 1);

    // Offered again after the notice: held anew.
    ASSERT_TRUE(m_held.offer(request(5), tag(11, {"S|5"}), rows(8)));
    ASSERT_TRUE(m_held.holds(request(5)));
    EXPECT_EQ(m_held.find(request(5))->rowCount, 8);
}

} // namespace
} // namespace host
