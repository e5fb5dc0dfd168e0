#include "server/db/pg_connection.h"
#include "server/db/sql_time.h"
#include "server/process/server_config.h"
#include "server/reply/arguments.h"
#include "server/tests/test_database.h"

#include <gtest/gtest.h>

#include <fstream>

namespace appserver::testing {
namespace {

// Catches a list parser that accepts what the list picker never builds
// (spaces, quotes, lower case, empty codes, long codes).
TEST(AirlineListTest, AcceptsOnlyThePickerFormat)
{
    Result<std::vector<std::string>> good = parseAirlineList("JJ,AD,G3,JJ");
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(*good, (std::vector<std::string>{"AD", "G3", "JJ"}));
    EXPECT_TRUE(parseAirlineList("")->empty());
    EXPECT_TRUE(parseAirlineList("ABCD,1").ok());
    for (const char *bad : {"AD, G3", "'AD'", "\"AD\"", "ad", "ABCDE", "AD,,G3", ",AD", "AD,",
                            "A-D", "AD;G3", "ÁD", " "}) {
        EXPECT_FALSE(parseAirlineList(bad).ok()) << bad;
    }
}

// Catches a 200-code limit that is off by one.
TEST(AirlineListTest, AtMostTwoHundredCodes)
{
    std::string list = "C0";
    for (int i = 1; i < 200; ++i)
        list += ",C" + std::to_string(i);
    EXPECT_EQ(parseAirlineList(list)->size(), 200u);
    EXPECT_FALSE(parseAirlineList(list + ",X").ok());
}

// Catches stored date-times that a bound key would not equal on SQLite, and
// PostgreSQL output forms the reader cannot take.
TEST(SqlTimeTest, OneStoredFormAndEveryServerForm)
{
    EXPECT_EQ(formatSqlDateTime(at(2024, 5, 10, 9, 30)), "2024-05-10 09:30:00");
    EXPECT_EQ(formatSqlDateTime(at(2024, 5, 10, 23, 59, 59, 999)), "2024-05-10 23:59:59.999");
    EXPECT_EQ(formatSqlDateTime(0), "1899-12-30 00:00:00");
    for (std::int64_t msecs : {at(2024, 2, 29, 13, 1, 2, 3), at(1, 1, 1),
                               at(9999, 12, 31, 23, 59, 59, 999), std::int64_t{0}}) {
        EXPECT_EQ(parseSqlDateTime(formatSqlDateTime(msecs)), msecs);
    }
    EXPECT_EQ(parseSqlDateTime("2024-05-10 08:40:00.5"), at(2024, 5, 10, 8, 40, 0, 500));
    EXPECT_EQ(parseSqlDateTime("2024-05-10 08:40:00.123456"), at(2024, 5, 10, 8, 40, 0, 123));
    EXPECT_EQ(parseSqlDateTime("2024-05-10T08:40:00"), at(2024, 5, 10, 8, 40));
    EXPECT_EQ(parseSqlDateTime("2024-05-10"), at(2024, 5, 10));
    for (const char *bad :
         {"", "2024-02-30", "2024-05-10 25:00:00", "10/05/2024", "2024-05-10 08:40"})
        EXPECT_FALSE(parseSqlDateTime(bad).has_value()) << bad;
    EXPECT_EQ(startOfDay(at(1899, 12, 29, 13)), at(1899, 12, 29));
}

// Catches a `?` inside a quoted literal turned into a parameter.
TEST(PostgresPlaceholderTest, NumbersOnlyRealPlaceholders)
{
    int count = 0;
    EXPECT_EQ(toPostgresPlaceholders("SELECT '?', A FROM T WHERE A = ? AND B IN (?, ?)", &count),
              "SELECT '?', A FROM T WHERE A = $1 AND B IN ($2, $3)");
    EXPECT_EQ(count, 3);
}

// Catches flags that lose to the config file, and bad values accepted.
TEST(ServerConfigTest, FlagsOverrideTheConfigFile)
{
    const std::string path = ::testing::TempDir() + "/ate-server.conf";
    std::ofstream(path) << "# server\nport = 6000\naddress=0.0.0.0\n"
                           "database = host=/tmp dbname=ate\ntoken = abc # comment\n";
    Result<ServerConfig> config =
        parseServerConfig({"--port", "7000", "--config", path, "--allow-insecure"});
    ASSERT_TRUE(config.ok()) << config.error().message;
    EXPECT_EQ(config->server.port, 7000);
    EXPECT_EQ(config->server.address, "0.0.0.0");
    EXPECT_EQ(config->database.dialect, Dialect::PostgreSQL);
    EXPECT_EQ(config->token, "abc");

    Result<ServerConfig> defaults = parseServerConfig({});
    ASSERT_TRUE(defaults.ok());
    EXPECT_EQ(defaults->server.address, "127.0.0.1");
    EXPECT_EQ(defaults->server.port, 50051);
    EXPECT_EQ(defaults->database.dialect, Dialect::SQLite);
    EXPECT_LT(defaults->database.busyTimeoutMs, 5000);

    EXPECT_FALSE(parseServerConfig({"--port", "70000"}).ok());
    EXPECT_FALSE(parseServerConfig({"--port"}).ok());
    EXPECT_FALSE(parseServerConfig({"--colour", "blue"}).ok());
    // A mistyped flag is named, not taken for a flag missing its value.
    Result<ServerConfig> bogus = parseServerConfig({"--bogus"});
    ASSERT_FALSE(bogus.ok());
    EXPECT_NE(bogus.error().message.find("desconhecida: --bogus"), std::string::npos);
    Result<ServerConfig> version = parseServerConfig({"--version"});
    ASSERT_TRUE(version.ok());
    EXPECT_TRUE(version->version);
    EXPECT_FALSE(parseServerConfig({"--tls-cert", "a.pem"}).ok());
    EXPECT_FALSE(parseServerConfig({"--busy-timeout-ms", "9000"}).ok());
    EXPECT_EQ(DatabaseTarget::parse("postgresql://u@h/db").dialect, Dialect::PostgreSQL);
    EXPECT_EQ(DatabaseTarget::parse("/var/lib/ate/ate25400.db").dialect, Dialect::SQLite);
    // Any libpq keyword names PostgreSQL, not only host and dbname; a file
    // name with "=" in it stays a file.
    for (const char *pg : {"postgres://h/db", "service=ate", "dbname = 'a b' user=x", "port=5433",
                           "host=/tmp dbname='unclosed"})
        EXPECT_EQ(DatabaseTarget::parse(pg).dialect, Dialect::PostgreSQL) << pg;
    for (const char *file : {"ate25400.db", "/data/a=b.db", "./host=x.db", ""})
        EXPECT_EQ(DatabaseTarget::parse(file).dialect, Dialect::SQLite) << file;
}

// Catches a config file that runs a command (a stray "init-schema" line
// would make the service write its database at every start), a misspelt
// setting taken silently, and a documented flag the command line refuses.
TEST(ServerConfigTest, TheConfigFileHoldsSettingsOnly)
{
    const std::string path = ::testing::TempDir() + "/ate-server-commands.conf";
    const auto parseFile = [&](const char *text) {
        std::ofstream(path) << text;
        return parseServerConfig({"--config", path});
    };
    for (const char *command : {"init-schema\n", "init-schema = true\n", "help\n"}) {
        Result<ServerConfig> config = parseFile(command);
        EXPECT_FALSE(config.ok()) << command;
    }
    Result<ServerConfig> misspelt = parseFile("prot = 6000\n");
    ASSERT_FALSE(misspelt.ok());
    EXPECT_NE(misspelt.error().message.find("desconhecida: prot"), std::string::npos)
        << misspelt.error().message;
    Result<ServerConfig> missing = parseServerConfig({"--config", path + ".absent"});
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().message.find(".absent"), std::string::npos);

    Result<ServerConfig> cache = parseServerConfig({"--reply-cache-mb", "32", "--port=7001"});
    ASSERT_TRUE(cache.ok()) << cache.error().message;
    EXPECT_EQ(cache->replyCacheMb, 32);
    EXPECT_EQ(cache->server.port, 7001);
}

// Catches access control switched off by an empty token from any source, and
// a server exposed to the network in clear text without being asked to.
TEST(ServerConfigTest, AccessControlFailsClosed)
{
    const std::string blankFirstLine = ::testing::TempDir() + "/ate-token-blank";
    std::ofstream(blankFirstLine) << "\ns3cret\n";
    const std::string emptyInConfig = ::testing::TempDir() + "/ate-token.conf";
    std::ofstream(emptyInConfig) << "token =\n";
    for (const std::vector<std::string> &args : {std::vector<std::string>{"--token", ""},
                                                 {"--token=  "},
                                                 {"--token-file", blankFirstLine},
                                                 {"--config", emptyInConfig}}) {
        Result<ServerConfig> config = parseServerConfig(args);
        ASSERT_FALSE(config.ok()) << args[0];
        EXPECT_NE(config.error().message.find("token"), std::string::npos);
    }

    for (const char *address : {"0.0.0.0", "::", "192.168.0.10"}) {
        Result<ServerConfig> plain = parseServerConfig({"--address", address, "--token", "t"});
        ASSERT_FALSE(plain.ok()) << address;
        EXPECT_NE(plain.error().message.find("--allow-insecure"), std::string::npos);
        Result<ServerConfig> allowed =
            parseServerConfig({"--address", address, "--allow-insecure"});
        ASSERT_TRUE(allowed.ok()) << address;
        EXPECT_TRUE(allowed->servesInsecurely());
    }
    Result<ServerConfig> secured = parseServerConfig(
        {"--address", "0.0.0.0", "--tls-cert", "c.pem", "--tls-key", "k.pem", "--token", "t"});
    ASSERT_TRUE(secured.ok());
    EXPECT_FALSE(secured->servesInsecurely());
    for (const char *address : {"127.0.0.1", "127.1.2.3", "::1", "localhost"}) {
        Result<ServerConfig> local = parseServerConfig({"--address", address});
        ASSERT_TRUE(local.ok()) << address;
        EXPECT_FALSE(local->servesInsecurely());
    }
}

} // namespace
} // namespace appserver::testing
