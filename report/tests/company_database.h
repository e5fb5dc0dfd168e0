#pragma once

#include "host/host_context.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace appserver {
class Connection;
}

namespace report::testing {

// A company database of its own for one test, in the application server's
// schema: a SQLite file in a temporary folder, or a private schema in the
// PostgreSQL database named by ATE_TEST_PG. use() points the host's local
// database at it; everything is removed at the end.
class CompanyDatabase
{
public:
    // Null when the backend is not available; `whyNot` then says so.
    static std::unique_ptr<CompanyDatabase> create(const QString &driver, QString *whyNot);
    ~CompanyDatabase();

    // Runs fixture statements (constants of the test, nothing typed in);
    // empty on success, otherwise the failure.
    QString run(const QStringList &statements);
    void use() const;

private:
    CompanyDatabase() = default;

    std::unique_ptr<appserver::Connection> m_connection;
    QString m_folder;
    QString m_adminConninfo;
    QString m_schema;
    host::DatabaseSettings m_settings;
};

} // namespace report::testing
