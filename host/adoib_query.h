#pragma once

#include "host/params.h"
#include "platform/data_packet.h"

#include <QObject>
#include <QStringList>

namespace platform {
class ClientDataSet;
class Field;
} // namespace platform

namespace host {

// A read-only query on the host's local database with named parameters
// (":NAME"). Open() reads every row into an inner client record set,
// Query(), so that a data source, a grid or a lookup can show them. Values
// are always bound, never spliced into the text.
class TADOIBQuery : public QObject
{
    Q_OBJECT

public:
    explicit TADOIBQuery(QObject *parent = nullptr);
    ~TADOIBQuery() override;

    // The statement, line by line. Setting it closes the query and makes
    // the parameter list anew from the ":NAME" placeholders (values of
    // parameters that remain are kept).
    void setSQL(const QStringList &lines);
    QStringList SQL() const { return m_sql; }

    TParams &Params() { return m_params; }
    // Throws platform::Error naming the parameter when the statement has none.
    TParam &ParamByName(const QString &name);

    // Persistent fields, declared by the owner before the first Open, with
    // display labels, visibility and the rest on the returned field. A
    // query without declared fields takes the columns the statement returns.
    // Result columns are matched by name ignoring case (PostgreSQL folds
    // unquoted names to lower case).
    platform::Field *addField(const QString &name, platform::FieldType type, int size = 0);

    // The record set the rows land in.
    platform::ClientDataSet *Query() const { return m_dataSet; }

    // Another QSqlDatabase connection than the host's local database.
    void setConnectionName(const QString &name) { m_connectionName = name; }

    // Throws platform::Error with the database's reason when the statement
    // cannot be prepared or run, or a row does not fit a declared field; the
    // query is then closed.
    void Open();
    void Close();
    bool Active() const;
    bool IsEmpty() const;
    int RecordCount() const;
    platform::Field &FieldByName(const QString &name) const;

private:
    QString statement() const;
    QString civilTextStatement() const;
    static QString civilTextColumn(const platform::Field &field);

    QStringList m_sql;
    TParams m_params;
    platform::ClientDataSet *m_dataSet;
    QString m_connectionName;
    bool m_fieldsFromResult = false;
};

// The ":NAME" placeholders of a statement, in order of first appearance;
// quoted texts, quoted names, comments and "::" casts are skipped.
QStringList sqlParameterNames(const QString &statement);

} // namespace host
