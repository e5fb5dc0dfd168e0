#include "server/tests/test_database.h"

#include <gtest/gtest.h>

namespace appserver::testing {
namespace {

using namespace std::chrono_literals;

// Catches a SQLite statement that runs on past its call's deadline (only
// the busy timeout bounded it) and a connection left unusable after it was
// stopped.
TEST(SqliteDeadlineTest, AHeavyStatementEndsAtTheDeadline)
{
    std::string whyNot;
    std::unique_ptr<TestDatabase> db = TestDatabase::create(Backend::SQLite, &whyNot);
    ASSERT_TRUE(db) << whyNot;
    Result<std::unique_ptr<Connection>> opened = openConnection(db->databaseTarget());
    ASSERT_TRUE(opened.ok()) << opened.error().detail;
    Connection &connection = **opened;

    // Counts to a trillion: hours, unless stopped.
    Result<Statement *> heavy = connection.prepare(
        "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 1000000000000) "
        "SELECT COUNT(*) FROM n");
    ASSERT_TRUE(heavy.ok()) << heavy.error().detail;
    connection.setDeadline(std::chrono::steady_clock::now() + 200ms);
    {
        StatementRun run(**heavy);
        Result<bool> row = run->step();
        ASSERT_FALSE(row.ok());
        EXPECT_EQ(row.error().message, deadlineError({}).message);
    }
    EXPECT_FALSE(connection
                     .execute("SELECT COUNT(*) FROM (WITH RECURSIVE n(x) AS (SELECT 1 UNION "
                              "ALL SELECT x + 1 FROM n) SELECT x FROM n)")
                     .ok());

    connection.setDeadline(std::chrono::steady_clock::now() + 60s);
    Result<Statement *> light = connection.prepare("SELECT COUNT(*) FROM sqlite_master");
    ASSERT_TRUE(light.ok());
    StatementRun run(**light);
    Result<bool> row = run->step();
    ASSERT_TRUE(row.ok()) << row.error().detail;
    EXPECT_TRUE(*row);
}

} // namespace
} // namespace appserver::testing
