#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>

namespace platform {

class ClientDataSet;
class DataSource;

// What a data-aware control hears from its data source, with the record
// set's disabled controls already applied: while they are disabled nothing
// is passed on, and enabling them passes on what was missed at once: one
// full refresh when the rows were replaced, otherwise the span of rows
// whose values changed and the current row.
class DataLink : public QObject
{
    Q_OBJECT

public:
    explicit DataLink(QObject *parent = nullptr);

    void setDataSource(DataSource *source);
    DataSource *dataSource() const;
    ClientDataSet *dataSet() const;
    bool isFrozen() const { return m_frozen; }
    // During aboutToRefresh and refreshed: true when only the set's rows are
    // being replaced (a reload), not the set or its fields.
    bool refreshingRowsOnly() const { return m_rowsOnly; }

signals:
    void aboutToRefresh();                 // rows, fields or the set itself about to change
    void refreshed();                      // ... and changed; the cursor may be anywhere
    void rowsAboutToChange();              // same rows, new values coming
    void rowsChanged(int first, int last); // same rows, new values
    void currentRowChanged(int row);
    void frozenChanged(bool frozen);

private:
    void bindDataSet();
    void onControlsEnabledChanged(bool enabled);

    QPointer<DataSource> m_source;
    QPointer<ClientDataSet> m_dataSet;
    QMetaObject::Connection m_sourceConnection;
    QMetaObject::Connection m_sourceDestroyed;
    QList<QMetaObject::Connection> m_setConnections;
    bool m_frozen = false;
    bool m_rowsOnly = false;
    // Missed while frozen.
    bool m_missedRefresh = false;
    int m_missedFirst = -1;
    int m_missedLast = -1;
};

} // namespace platform
