#include "platform/data_source.h"

#include "platform/client_data_set.h"

namespace platform {

DataSource::DataSource(QObject *parent)
    : QObject(parent)
{
}

DataSource::DataSource(ClientDataSet *dataSet, QObject *parent)
    : QObject(parent)
{
    setDataSet(dataSet);
}

ClientDataSet *DataSource::dataSet() const
{
    return m_dataSet;
}

void DataSource::setDataSet(ClientDataSet *dataSet)
{
    if (dataSet == m_dataSet)
        return;
    disconnect(m_destroyed);
    m_dataSet = dataSet;
    if (dataSet)
        m_destroyed = connect(dataSet, &QObject::destroyed, this, &DataSource::dataSetChanged);
    emit dataSetChanged();
}

} // namespace platform
