#include "report/tests/company_database.h"

#include "host/host_context.h"
#include "host/local_database.h"
#include "server/db/database.h"
#include "server/db/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace report::testing {
namespace {

// Statements on the PostgreSQL database itself, outside any schema.
QString runAdmin(const QString &conninfo, const QString &statement)
{
    const QString name = QStringLiteral("report_test_admin");
    QString failure;
    {
        host::DatabaseSettings settings = host::DatabaseSettings::fromLibpq(conninfo);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(settings.hostName);
        db.setPort(settings.port);
        db.setDatabaseName(settings.databaseName);
        db.setUserName(settings.userName);
        db.setPassword(settings.password);
        db.setConnectOptions(settings.connectOptions);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery query(db);
            if (!query.exec(statement))
                failure = query.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return failure;
}

} // namespace

std::unique_ptr<CompanyDatabase> CompanyDatabase::create(const QString &driver, QString *whyNot)
{
    std::unique_ptr<CompanyDatabase> db(new CompanyDatabase);
    appserver::DatabaseTarget target;
    host::DatabaseSettings settings;
    if (driver == QLatin1String("postgresql")) {
        db->m_adminConninfo = qEnvironmentVariable("ATE_TEST_PG");
        if (db->m_adminConninfo.isEmpty()) {
            *whyNot = QStringLiteral("ATE_TEST_PG is not set");
            return nullptr;
        }
        db->m_schema = QStringLiteral("report_test_%1").arg(QCoreApplication::applicationPid());
        runAdmin(
            db->m_adminConninfo,
            QStringLiteral("SET client_min_messages TO warning; DROP SCHEMA IF EXISTS %1 CASCADE")
                .arg(db->m_schema));
        if (const QString failure =
                runAdmin(db->m_adminConninfo, QStringLiteral("CREATE SCHEMA %1").arg(db->m_schema));
            !failure.isEmpty()) {
            *whyNot = failure;
            return nullptr;
        }
        const QString conninfo =
            db->m_adminConninfo + QStringLiteral(" options='-csearch_path=%1'").arg(db->m_schema);
        target.dialect = appserver::Dialect::PostgreSQL;
        target.target = conninfo.toStdString();
        settings = host::DatabaseSettings::fromLibpq(conninfo);
    } else {
        QTemporaryDir dir;
        dir.setAutoRemove(false);
        db->m_folder = dir.path();
        target.target = QDir(db->m_folder).filePath(QStringLiteral("company.db")).toStdString();
        settings.sqlitePath = QString::fromStdString(target.target);
    }
    // The test writes the company's rows: it may create the file.
    target.access = appserver::Access::Create;
    auto connection = appserver::openConnection(target);
    if (!connection) {
        *whyNot = QString::fromStdString(connection.error().detail);
        return nullptr;
    }
    db->m_connection = std::move(*connection);
    if (appserver::Status migrated = appserver::migrateSchema(*db->m_connection); !migrated) {
        *whyNot = QString::fromStdString(migrated.error().detail);
        return nullptr;
    }
    db->m_settings = settings;
    return db;
}

CompanyDatabase::~CompanyDatabase()
{
    host::closeLocalDatabase();
    m_connection.reset();
    if (!m_schema.isEmpty())
        runAdmin(
            m_adminConninfo,
            QStringLiteral("SET client_min_messages TO warning; DROP SCHEMA IF EXISTS %1 CASCADE")
                .arg(m_schema));
    if (!m_folder.isEmpty())
        QDir(m_folder).removeRecursively();
}

void CompanyDatabase::use() const
{
    host::context().setDatabase(m_settings);
}

QString CompanyDatabase::run(const QStringList &statements)
{
    for (const QString &statement : statements) {
        if (appserver::Status done = m_connection->execute(statement.toStdString()); !done)
            return QString::fromStdString(done.error().detail) + QStringLiteral(": ") + statement;
    }
    return {};
}

} // namespace report::testing
