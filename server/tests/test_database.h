#pragma once

#include "server/db/connection_pool.h"
#include "server/db/database.h"

#include <cstdint>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace appserver::testing {

enum class Backend { SQLite, PostgreSQL };

std::string backendName(Backend backend);

// A database of its own for one test: a SQLite file in a temporary folder,
// or a private schema in the PostgreSQL database named by ATE_TEST_PG. The
// schema is migrated; everything is removed at the end.
class TestDatabase
{
public:
    // nullopt when the backend is not available (PostgreSQL without
    // ATE_TEST_PG); `whyNot` then says so.
    static std::unique_ptr<TestDatabase> create(Backend backend, std::string *whyNot);
    ~TestDatabase();

    const DatabaseTarget &databaseTarget() const { return m_target; }
    Connection &connection() { return *m_connection; }

private:
    TestDatabase() = default;

    Backend m_backend = Backend::SQLite;
    DatabaseTarget m_target;
    std::unique_ptr<Connection> m_connection;
    std::filesystem::path m_folder;
    std::string m_baseConninfo;
    std::string m_schema;
};

// A test run once per database; skipped where the database is missing.
class BackendTest : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override;
    std::unique_ptr<TestDatabase> m_db;
};

struct Null
{
};
struct When
{
    std::int64_t msecs;
};
using Cell = std::variant<Null, std::string, const char *, double, int, When>;

// INSERT with every value bound; fails the test on error.
void insertRow(Connection &db, const std::string &table, const std::vector<std::string> &columns,
               const std::vector<Cell> &values);

// A whole file's bytes; empty when it cannot be read.
std::string readAll(const std::filesystem::path &path);

// Civil msecs of a date and time.
std::int64_t at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                int msec = 0);

} // namespace appserver::testing
