#include "server/tests/test_database.h"

#include "server/db/schema.h"
#include "wire/civil_datetime.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace appserver::testing {
namespace {

std::atomic<int> g_counter{0};

// libpq accepts options in both connection-string forms.
std::string withSearchPath(const std::string &conninfo, const std::string &schema)
{
    if (conninfo.find("://") != std::string::npos) {
        const char separator = conninfo.find('?') == std::string::npos ? '?' : '&';
        return conninfo + separator + "options=-csearch_path%3D" + schema;
    }
    return conninfo + " options='-csearch_path=" + schema + "'";
}

} // namespace

std::string backendName(Backend backend)
{
    return backend == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

std::unique_ptr<TestDatabase> TestDatabase::create(Backend backend, std::string *whyNot)
{
    std::unique_ptr<TestDatabase> db(new TestDatabase);
    db->m_backend = backend;
    const int n = ++g_counter;
    if (backend == Backend::SQLite) {
        db->m_folder = std::filesystem::temp_directory_path()
                       / ("ate-server-test-" + std::to_string(getpid()) + "-" + std::to_string(n));
        std::filesystem::create_directories(db->m_folder);
        db->m_target = DatabaseTarget::parse((db->m_folder / "server.db").string(), Access::Create);
    } else {
        const char *conninfo = std::getenv("ATE_TEST_PG");
        if (!conninfo || !*conninfo) {
            *whyNot = "ATE_TEST_PG is not set: PostgreSQL cases skipped "
                      "(scripts/test.sh starts a throwaway cluster and sets it)";
            return nullptr;
        }
        db->m_baseConninfo = conninfo;
        db->m_schema = "ate_test_" + std::to_string(getpid()) + "_" + std::to_string(n);
        Result<std::unique_ptr<Connection>> admin =
            openConnection(DatabaseTarget::parse(conninfo, Access::ReadWrite));
        if (!admin) {
            *whyNot = "cannot connect to ATE_TEST_PG: " + admin.error().detail;
            return nullptr;
        }
        Status created = (*admin)->execute("DROP SCHEMA IF EXISTS " + db->m_schema
                                           + " CASCADE; CREATE SCHEMA " + db->m_schema);
        if (!created) {
            *whyNot = created.error().detail;
            return nullptr;
        }
        db->m_target =
            DatabaseTarget::parse(withSearchPath(conninfo, db->m_schema), Access::ReadWrite);
        db->m_target.dialect = Dialect::PostgreSQL;
    }
    Result<std::unique_ptr<Connection>> connection = openConnection(db->m_target);
    if (!connection) {
        *whyNot = connection.error().detail;
        return nullptr;
    }
    db->m_connection = std::move(*connection);
    // Later connections (the tests' pools) open the file made here.
    db->m_target.access = Access::ReadWrite;
    Status migrated = migrateSchema(*db->m_connection);
    if (!migrated) {
        *whyNot = migrated.error().detail;
        return nullptr;
    }
    return db;
}

TestDatabase::~TestDatabase()
{
    m_connection.reset();
    if (m_backend == Backend::SQLite) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    } else if (!m_schema.empty()) {
        Result<std::unique_ptr<Connection>> admin =
            openConnection(DatabaseTarget::parse(m_baseConninfo, Access::ReadWrite));
        if (admin)
            (void)(*admin)->execute("DROP SCHEMA IF EXISTS " + m_schema + " CASCADE");
    }
}

void BackendTest::SetUp()
{
    std::string whyNot;
    m_db = TestDatabase::create(GetParam(), &whyNot);
    if (!m_db)
        GTEST_SKIP() << whyNot;
}

void insertRow(Connection &db, const std::string &table, const std::vector<std::string> &columns,
               const std::vector<Cell> &values)
{
    ASSERT_EQ(columns.size(), values.size()) << table;
    std::string sql = "INSERT INTO " + table + " (";
    std::string marks;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? ", " : "") + columns[i];
        marks += i ? ", ?" : "?";
    }
    sql += ") VALUES (" + marks + ")";
    Result<Statement *> prepared = db.prepare(sql);
    ASSERT_TRUE(prepared.ok()) << prepared.error().detail;
    StatementRun run(**prepared);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int index = static_cast<int>(i);
        std::visit(
            [&](const auto &v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, Null>)
                    run->bindNull(index);
                else if constexpr (std::is_same_v<T,
                                                  std::string> || std::is_same_v<T, const char *>)
                    run->bindText(index, v);
                else if constexpr (std::is_same_v<T, double>)
                    run->bindNumber(index, v);
                else if constexpr (std::is_same_v<T, int>)
                    run->bindInteger(index, v);
                else
                    run->bindDateTime(index, v.msecs);
            },
            values[i]);
    }
    Result<bool> done = run->step();
    ASSERT_TRUE(done.ok()) << done.error().detail;
}

std::string readAll(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::int64_t at(int year, int month, int day, int hour, int minute, int second, int msec)
{
    return *wire::toMsecs({year, month, day, hour, minute, second, msec});
}

} // namespace appserver::testing
