#include "server/cache/reply_cache.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/tests/call_helpers.h"
#include "server/tests/fixture.h"
#include "server/transport/call_handler.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace appserver::testing {
namespace {

std::string contentOf(std::FILE *file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file))
        text.append(buffer, n);
    return text;
}

class AccessControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string whyNot;
        m_db = TestDatabase::create(Backend::SQLite, &whyNot);
        ASSERT_TRUE(m_db) << whyNot;
        loadFixture(m_db->connection());
        m_pool = std::make_unique<ConnectionPool>(m_db->databaseTarget());
        m_logFile = std::tmpfile();
        m_log = std::make_unique<CallLog>(m_logFile);
        m_handler = std::make_unique<CallHandler>(*m_pool, *m_log, "s3cret");
        m_handler->addModule(rdmPosFDiPlav(m_cache));
    }
    void TearDown() override
    {
        m_handler.reset();
        m_log.reset();
        if (m_logFile)
            std::fclose(m_logFile);
    }

    grpc::Status call(const std::string &authorization, const std::string &peer)
    {
        pb::CallReply reply;
        return m_handler->handle(request("GetCia", {textArg("GRU")}), &reply, authorization, peer);
    }

    std::unique_ptr<TestDatabase> m_db;
    ReplyCache m_cache;
    std::unique_ptr<ConnectionPool> m_pool;
    std::FILE *m_logFile = nullptr;
    std::unique_ptr<CallLog> m_log;
    std::unique_ptr<CallHandler> m_handler;
};

// Catches a client refused for writing the scheme in another case, or for
// more than one blank before the token.
TEST_F(AccessControlTest, TheBearerSchemeIsCaseInsensitive)
{
    for (const char *authorization : {"Bearer s3cret", "bearer s3cret", "BEARER  s3cret"})
        EXPECT_TRUE(call(authorization, "ipv4:127.0.0.1:4000").ok()) << authorization;
    for (const char *authorization : {"Bearers3cret", "Basic s3cret", "s3cret", "Bearer s3cre"})
        EXPECT_EQ(call(authorization, "ipv4:127.0.0.2:4000").error_code(),
                  grpc::StatusCode::UNAUTHENTICATED)
            << authorization;
}

// Catches token guessing at full speed on a connection, a log line per
// guess, and the right token refused meanwhile to the other desks of the
// guessing machine (behind NAT they share its address) or to other
// machines.
TEST_F(AccessControlTest, RepeatedWrongTokensAreSlowedAndLoggedSparingly)
{
    const std::string guesser = "ipv4:10.0.0.7:40000";
    for (int i = 0; i < 50; ++i) {
        const grpc::Status status = call("Bearer guess" + std::to_string(i), guesser);
        EXPECT_EQ(status.error_code(), grpc::StatusCode::UNAUTHENTICATED);
        // A desk of the same machine, on its own connection, between guesses.
        EXPECT_TRUE(call("Bearer s3cret", "ipv4:10.0.0.7:41000").ok()) << i;
    }
    // The guessing connection's budget is spent: its guesses are worth
    // nothing, even the right one.
    const grpc::Status blocked = call("Bearer s3cret", guesser);
    EXPECT_EQ(blocked.error_code(), grpc::StatusCode::UNAUTHENTICATED);
    EXPECT_EQ(blocked.error_message(), CallHandler::kThrottledMessage);
    EXPECT_TRUE(call("Bearer s3cret", "ipv4:10.0.0.8:41000").ok());
    // A guesser opening a connection per guess is logged as sparingly.
    for (int i = 0; i < 50; ++i)
        (void)call("Bearer guess", "ipv4:10.0.0.7:" + std::to_string(42000 + i));

    const std::string log = contentOf(m_logFile);
    std::size_t refusals = 0;
    for (std::size_t at = log.find("unauthenticated"); at != std::string::npos;
         at = log.find("unauthenticated", at + 1))
        ++refusals;
    EXPECT_LE(refusals, 2u) << log;
    EXPECT_EQ(log.find("guess"), std::string::npos) << log;
    EXPECT_EQ(log.find("s3cret"), std::string::npos) << log;
}

// Catches a guard that never lets a connection try again, lets it guess
// faster than its budget grows back, or holds back a machine's other
// connections with it.
TEST(AuthGuardTest, TheBudgetGrowsBackAtOneFailurePerSecond)
{
    AuthGuard guard;
    const auto start = AuthGuard::Clock::time_point{} + std::chrono::hours(1);
    const std::string peer = "ipv6:[::1]:5000";
    for (int i = 0; i < AuthGuard::kBurst; ++i) {
        EXPECT_TRUE(guard.admits(peer, start)) << i;
        (void)guard.refused(peer, start);
    }
    EXPECT_FALSE(guard.admits(peer, start));
    // Another connection of the same machine keeps its own budget.
    EXPECT_TRUE(guard.admits("ipv6:[::1]:6000", start));
    EXPECT_TRUE(guard.admits("ipv6:[::2]:6000", start));
    const auto later = start + AuthGuard::kRefill;
    EXPECT_TRUE(guard.admits(peer, later));
    (void)guard.refused(peer, later);
    EXPECT_FALSE(guard.admits(peer, later));
    EXPECT_TRUE(guard.admits(peer, later + AuthGuard::kRefill * AuthGuard::kBurst));
    EXPECT_EQ(AuthGuard::peerHost("ipv4:10.0.0.7:51234"), "ipv4:10.0.0.7");
    EXPECT_EQ(AuthGuard::peerHost("ipv6:[::1]:51234"), "ipv6:[::1]");
}

} // namespace
} // namespace appserver::testing
