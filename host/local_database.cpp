#include "host/local_database.h"

#include "host/host_context.h"
#include "platform/abort.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QStringList>

namespace host {
namespace {

struct OpenSettings
{
    bool open = false;
    DatabaseSettings settings;
};

OpenSettings &current()
{
    static OpenSettings state;
    return state;
}

bool sameSettings(const DatabaseSettings &a, const DatabaseSettings &b)
{
    return a.driver == b.driver && a.sqlitePath == b.sqlitePath && a.hostName == b.hostName
           && a.port == b.port && a.databaseName == b.databaseName && a.userName == b.userName
           && a.password == b.password && a.connectOptions == b.connectOptions
           && a.readOnly == b.readOnly;
}

} // namespace

QString localConnectionName()
{
    return QStringLiteral("ate_host_local");
}

QSqlDatabase localDatabase()
{
    const DatabaseSettings wanted = context().database();
    OpenSettings &state = current();
    if (state.open && sameSettings(state.settings, wanted)) {
        QSqlDatabase db = QSqlDatabase::database(localConnectionName(), false);
        if (db.isOpen())
            return db;
    }
    closeLocalDatabase();

    QSqlDatabase db = QSqlDatabase::addDatabase(wanted.qtDriverName(), localConnectionName());
    if (wanted.driver == DatabaseSettings::Driver::Sqlite) {
        if (wanted.sqlitePath.isEmpty()) {
            QSqlDatabase::removeDatabase(localConnectionName());
            throw platform::Error(QCoreApplication::translate(
                "LocalDatabase", "Banco de dados local não configurado."));
        }
        db.setDatabaseName(wanted.sqlitePath);
        db.setConnectOptions(wanted.readOnly
                                 ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY")
                                 : QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    } else {
        db.setHostName(wanted.hostName);
        if (wanted.port > 0)
            db.setPort(wanted.port);
        db.setDatabaseName(wanted.databaseName);
        db.setUserName(wanted.userName);
        db.setPassword(wanted.password);
        QStringList options;
        if (!wanted.connectOptions.isEmpty())
            options.append(wanted.connectOptions);
        if (wanted.readOnly)
            options.append(QStringLiteral("options='-c default_transaction_read_only=on'"));
        db.setConnectOptions(options.join(QLatin1Char(';')));
    }
    if (!db.open()) {
        const QString reason = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(localConnectionName());
        throw platform::Error(
            QCoreApplication::translate("LocalDatabase",
                                        "Não foi possível abrir o banco de dados local: %1")
                .arg(reason));
    }
    state.open = true;
    state.settings = wanted;
    return db;
}

void closeLocalDatabase()
{
    current().open = false;
    if (!QSqlDatabase::contains(localConnectionName()))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(localConnectionName(), false);
        db.close();
    }
    QSqlDatabase::removeDatabase(localConnectionName());
}

} // namespace host
