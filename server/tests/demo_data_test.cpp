#include "server/db/schema.h"
#include "server/db/sql_time.h"
#include "server/db/sqlite_connection.h"
#include "server/demo/demo_data.h"
#include "server/demo/demo_main.h"
#include "server/module/queries.h"
#include "server/tests/call_helpers.h"
#include "server/tests/test_database.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string_view>

namespace appserver::testing {
namespace {

// All rows of a query joined into one text, for comparisons.
std::string dump(Connection &db, const std::string &sql)
{
    Result<Statement *> prepared = db.prepare(sql);
    EXPECT_TRUE(prepared.ok()) << (prepared ? "" : prepared.error().detail);
    if (!prepared)
        return {};
    StatementRun run(**prepared);
    std::string out;
    while (*run->step()) {
        for (int c = 0; c < run->columnCount(); ++c)
            out += (run->isNull(c) ? std::string("~") : std::string(run->text(c))) + '|';
        out += '\n';
    }
    return out;
}

std::int64_t scalar(Connection &db, const std::string &sql)
{
    Result<Statement *> prepared = db.prepare(sql);
    EXPECT_TRUE(prepared.ok());
    StatementRun run(**prepared);
    EXPECT_TRUE(*run->step());
    return run->integer(0);
}

class DemoDataTest : public ::testing::Test
{
protected:
    std::unique_ptr<TestDatabase> generate(const demo::DemoOptions &options)
    {
        std::string whyNot;
        std::unique_ptr<TestDatabase> db = TestDatabase::create(Backend::SQLite, &whyNot);
        EXPECT_TRUE(db) << whyNot;
        Result<demo::DemoSummary> summary = demo::writeServerData(db->connection(), options);
        EXPECT_TRUE(summary.ok()) << summary.error().detail;
        return db;
    }
    demo::DemoOptions options{at(2024, 5, 1), 3, 7};
};

// Catches a generator whose output depends on anything but its options.
TEST_F(DemoDataTest, SameSeedSameData)
{
    const std::string sql =
        "SELECT * FROM SERVPLANO ORDER BY CDFILIAL, DTHRPLAVOOPV, CDCIA, NRVOO, "
        "CDTRECHO, NRITEMPLANSP";
    demo::DemoOptions one = options;
    one.days = 1;
    auto a = generate(one);
    auto b = generate(one);
    EXPECT_EQ(dump(a->connection(), sql), dump(b->connection(), sql));
    one.seed = 8;
    auto c = generate(one);
    EXPECT_NE(dump(a->connection(), sql), dump(c->connection(), sql));
}

// Catches a data set that lacks a case the screen must show: every
// situation, a rescinded branch, the national airline, null quantities and
// prices, services with and without an invoice entry, the volume per day.
TEST_F(DemoDataTest, CoversTheScreensCases)
{
    auto db = generate(options);
    Connection &c = db->connection();
    EXPECT_EQ(dump(c, "SELECT DISTINCT IDSITABASPV FROM PLANOVOO ORDER BY 1"),
              "1|\n2|\n3|\n4|\n5|\n");
    EXPECT_EQ(dump(c, "SELECT DISTINCT IDSITSERSP FROM SERVPLANO ORDER BY 1"),
              "1|\n2|\n3|\n4|\n5|\n");
    EXPECT_EQ(dump(c, "SELECT CDFILIAL FROM FILIAL WHERE IDCNTRRESC = 'S'"), "POA|\n");
    EXPECT_EQ(dump(c, "SELECT CDCIA FROM COMPANHIA WHERE IDNACCIA = '1'"), "JJ|\n");
    EXPECT_EQ(scalar(c, "SELECT COUNT(*) FROM COMPANHIA"), 12);
    EXPECT_GT(scalar(c, "SELECT COUNT(*) FROM SERVPLANO WHERE NRLANCTONF IS NULL"), 0);
    EXPECT_GT(scalar(c, "SELECT COUNT(*) FROM SERVPLANO WHERE NRLANCTONF IS NOT NULL"), 0);
    EXPECT_GT(scalar(c, "SELECT COUNT(*) FROM SERVPLANO WHERE QTSESBYPRSP IS NULL"), 0);
    EXPECT_GT(scalar(c, "SELECT COUNT(*) FROM SERVPLANO WHERE VRPRURESESP IS NULL"), 0);
    EXPECT_EQ(scalar(c, "SELECT COUNT(*) FROM PLANOVOO WHERE LENGTH(HRDECOLVOO) <> 4"), 0);
    EXPECT_EQ(scalar(c,
                     "SELECT COUNT(*) FROM PLANOVOO P WHERE NOT EXISTS (SELECT 1 FROM CIAFILIAL F "
                     "WHERE F.CDFILIAL = P.CDFILIAL AND F.CDCIA = P.CDCIA)"),
              0);

    const std::string perDay =
        dump(c, "SELECT MIN(N), MAX(N), COUNT(*) FROM (SELECT COUNT(*) AS N FROM "
                "PLANOVOO GROUP BY CDFILIAL, SUBSTR(DTHRPLAVOOPV, 1, 10)) X");
    int lo = 0, hi = 0, groups = 0;
    ASSERT_EQ(std::sscanf(perDay.c_str(), "%d|%d|%d", &lo, &hi, &groups), 3) << perDay;
    EXPECT_GE(lo, 150);
    EXPECT_LE(hi, 400);
    EXPECT_EQ(groups, 4 * options.days); // active branches × days
    EXPECT_EQ(dump(c, "SELECT MIN(N), MAX(N) FROM (SELECT COUNT(*) AS N FROM PREVISAOPAX "
                      "GROUP BY CDFILIAL, DTHRPLAVOOPV, CDCIA, NRVOO, CDTRECHO) X"),
              "2|4|\n");
    EXPECT_EQ(dump(c, "SELECT MIN(N) >= 10, MAX(N) <= 60 FROM (SELECT COUNT(*) AS N FROM SERVPLANO "
                      "GROUP BY CDFILIAL, DTHRPLAVOOPV, CDCIA, NRVOO, CDTRECHO) X"),
              "1|1|\n");
}

// How the service grid reads a service's situation and invoice entry.
std::string serviceReading(std::string_view situation, bool invoiced)
{
    if (situation == "3")
        return invoiced ? "Ca, invoiced" : "Ca";
    if (invoiced)
        return situation == "1" || situation == "2" ? "Cc" : "Cc of a " + std::string(situation);
    if (situation == "1")
        return "Pe";
    if (situation == "2")
        return "At";
    return "blank";
}

// Catches a first screenful that leaves a status colour to chance: in the
// server's own order, each branch-day opens on the five situations and both
// breakdown texts, and its first flight on every way a service reads.
TEST_F(DemoDataTest, FirstRowsShowEveryStatus)
{
    auto db = generate(options);
    Connection &c = db->connection();
    for (const std::string branch : {"GRU", "GIG", "BSB", "REC"}) {
        for (int d = 0; d < options.days; ++d) {
            SCOPED_TRACE(branch + " day " + std::to_string(d));
            pb::DataPacket plans;
            ASSERT_TRUE(
                selectPlanoVoo(c, {branch, options.firstDay + d * kMsecsPerDay, true, {}}, &plans)
                    .ok());
            const std::vector<std::string> situations = texts(plans, "IDSITABASPV");
            const std::vector<std::string> breakdowns = texts(plans, "IDBREAKGERA");
            ASSERT_GE(situations.size(), 5u);
            EXPECT_EQ(std::set<std::string>(situations.begin(), situations.begin() + 5),
                      (std::set<std::string>{"1", "2", "3", "4", "5"}));
            EXPECT_EQ(std::set<std::string>(breakdowns.begin(), breakdowns.begin() + 5),
                      (std::set<std::string>{"1", "2"}));

            const wire::PacketReader plan(plans);
            const FlightKey first{texts(plans, "CDCIA")[0], branch, texts(plans, "NRVOO")[0],
                                  texts(plans, "CDTRECHO")[0],
                                  plan.dateTime(plan.fieldIndex("DTHRPLAVOOPV"), 0)};
            pb::DataPacket services;
            ASSERT_TRUE(selectServPlano(c, first, &services).ok());
            const wire::PacketReader service(services);
            ASSERT_GE(service.rowCount(), 6u);
            const int situation = service.fieldIndex("IDSITSERSP");
            const int invoice = service.fieldIndex("NRLANCTONF");
            std::multiset<std::string> readings;
            bool blankAmounts = false;
            for (std::uint32_t row = 0; row < 6; ++row) {
                readings.insert(serviceReading(service.text(situation, row),
                                               !service.isNull(invoice, row)
                                                   && !service.text(invoice, row).empty()));
                bool blank = true;
                for (const char *field : {"QTSESBYPRSP", "VRPRURESESP", "VRPRUDOLSESP"})
                    blank = blank && service.isNull(service.fieldIndex(field), row);
                blankAmounts = blankAmounts || blank;
            }
            EXPECT_EQ(readings, (std::multiset<std::string>{"Pe", "At", "Ca", "Ca, invoiced", "Cc",
                                                            "blank"}));
            EXPECT_TRUE(blankAmounts);
        }
    }
}

// Catches an extra busy day whose flights collide or miss their services.
TEST_F(DemoDataTest, AddsABusyDay)
{
    auto db = generate(options);
    const std::int64_t day = at(2024, 4, 20);
    Result<demo::DemoSummary> added =
        demo::addFlightPlans(db->connection(), "GRU", day, 2000, 3, 1);
    ASSERT_TRUE(added.ok()) << added.error().detail;
    EXPECT_EQ(added->flightPlans, 2000);
    EXPECT_EQ(added->services, 6000);
    EXPECT_EQ(scalar(db->connection(),
                     "SELECT COUNT(*) FROM PLANOVOO WHERE DTHRPLAVOOPV LIKE '2024-04-20%'"),
              2000);
}

// Catches a local branch table missing the host's three columns.
TEST(LocalDatabaseTest, HoldsTheBranches)
{
    std::string whyNot;
    std::unique_ptr<TestDatabase> db = TestDatabase::create(Backend::SQLite, &whyNot);
    ASSERT_TRUE(db);
    ASSERT_TRUE(demo::writeLocalBranches(db->connection()).ok());
    EXPECT_EQ(
        dump(db->connection(), "SELECT CDFILIAL, NMFILIAL, IDCNTRRESC FROM FILIAL ORDER BY 1"),
        "BSB|Brasília|N|\nGIG|Galeão|N|\nGRU|Guarulhos|N|\nPOA|Porto Alegre|S|\nREC|Recife|N|\n");
}

} // namespace
} // namespace appserver::testing

// Catches --version taken for an option missing its value, and an unknown
// option reported as a missing value rather than by its name.
TEST(DemoDataCommandLineTest, AnswersVersionAndNamesAnUnknownOption)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(appserver::demo::runDemoData({"--version"}), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("ate-demodata ", 0), 0u);

    testing::internal::CaptureStderr();
    EXPECT_EQ(appserver::demo::runDemoData({"--bogus"}), 2);
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_NE(error.find("Opção desconhecida: --bogus."), std::string::npos) << error;

    testing::internal::CaptureStderr();
    EXPECT_EQ(appserver::demo::runDemoData({"--days"}), 2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Falta o valor de --days."),
              std::string::npos);
}

// Catches a demo database made in rollback-journal mode, where a writer
// holding a transaction stops every read of the server.
TEST(DemoDataCommandLineTest, MakesTheServersFileInWalMode)
{
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("ate-demo-wal-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string server = (folder / "server.db").string();
    testing::internal::CaptureStdout();
    ASSERT_EQ(
        appserver::demo::runDemoData({"--server-db", server, "--local-db", "-", "--days", "1"}), 0);
    testing::internal::GetCapturedStdout();
    auto db = appserver::openConnection(appserver::DatabaseTarget::parse(server));
    ASSERT_TRUE(db.ok()) << db.error().detail;
    EXPECT_EQ(appserver::sqliteJournalMode(**db), "wal");
    (*db).reset();
    fs::remove_all(folder);
}
