#pragma once

#include <QObject>
#include <QPointer>

namespace platform {

class ClientDataSet;

// Connects data-aware controls to a record set; the set can be swapped at
// run time and the controls follow.
class DataSource : public QObject
{
    Q_OBJECT

public:
    explicit DataSource(QObject *parent = nullptr);
    explicit DataSource(ClientDataSet *dataSet, QObject *parent = nullptr);

    void setDataSet(ClientDataSet *dataSet);
    ClientDataSet *dataSet() const;

signals:
    void dataSetChanged();

private:
    QPointer<ClientDataSet> m_dataSet;
    QMetaObject::Connection m_destroyed;
};

} // namespace platform
