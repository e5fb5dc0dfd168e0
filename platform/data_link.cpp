#include "platform/data_link.h"

#include "platform/client_data_set.h"
#include "platform/data_source.h"

#include <algorithm>

namespace platform {

DataLink::DataLink(QObject *parent)
    : QObject(parent)
{
}

DataSource *DataLink::dataSource() const
{
    return m_source;
}

ClientDataSet *DataLink::dataSet() const
{
    return m_dataSet;
}

void DataLink::setDataSource(DataSource *source)
{
    if (source == m_source)
        return;
    disconnect(m_sourceConnection);
    disconnect(m_sourceDestroyed);
    m_source = source;
    if (source) {
        m_sourceConnection =
            connect(source, &DataSource::dataSetChanged, this, &DataLink::bindDataSet);
        m_sourceDestroyed = connect(source, &QObject::destroyed, this, &DataLink::bindDataSet);
    }
    bindDataSet();
}

void DataLink::bindDataSet()
{
    emit aboutToRefresh();
    for (const auto &connection : std::as_const(m_setConnections))
        disconnect(connection);
    m_setConnections.clear();
    m_dataSet = m_source ? m_source->dataSet() : nullptr;
    const bool frozen = m_dataSet && m_dataSet->controlsDisabled();
    if (ClientDataSet *set = m_dataSet) {
        m_setConnections = {
            connect(set, &ClientDataSet::aboutToReset, this,
                    [this] {
                        if (m_frozen) {
                            m_missedRefresh = true;
                            return;
                        }
                        m_rowsOnly = true;
                        emit aboutToRefresh();
                        m_rowsOnly = false;
                    }),
            connect(set, &ClientDataSet::reset, this,
                    [this] {
                        if (m_frozen)
                            return;
                        m_rowsOnly = true;
                        emit refreshed();
                        m_rowsOnly = false;
                    }),
            connect(set, &ClientDataSet::rowsAboutToChange, this,
                    [this] {
                        if (!m_frozen)
                            emit rowsAboutToChange();
                    }),
            connect(set, &ClientDataSet::rowsChanged, this,
                    [this](int first, int last) {
                        if (!m_frozen) {
                            emit rowsChanged(first, last);
                            return;
                        }
                        m_missedFirst = m_missedFirst < 0 ? first : std::min(m_missedFirst, first);
                        m_missedLast = std::max(m_missedLast, last);
                    }),
            connect(set, &ClientDataSet::fieldsChanged, this,
                    [this] {
                        if (m_frozen) {
                            m_missedRefresh = true;
                            return;
                        }
                        emit aboutToRefresh();
                        emit refreshed();
                    }),
            connect(set, &ClientDataSet::currentRowChanged, this,
                    [this](int row) {
                        if (!m_frozen)
                            emit currentRowChanged(row);
                    }),
            connect(set, &ClientDataSet::controlsEnabledChanged, this,
                    &DataLink::onControlsEnabledChanged),
        };
    }
    // Refreshed while still unfrozen, so that the control shows the new set.
    emit refreshed();
    if (frozen != m_frozen) {
        m_frozen = frozen;
        m_missedRefresh = false;
        m_missedFirst = m_missedLast = -1;
        emit frozenChanged(frozen);
    }
}

void DataLink::onControlsEnabledChanged(bool enabled)
{
    if (enabled == !m_frozen)
        return;
    if (!enabled) {
        m_frozen = true;
        m_missedRefresh = false;
        m_missedFirst = m_missedLast = -1;
        emit frozenChanged(true);
        return;
    }
    if (m_missedRefresh) {
        emit aboutToRefresh();
        m_frozen = false;
        emit frozenChanged(false);
        emit refreshed();
        return;
    }
    m_frozen = false;
    emit frozenChanged(false);
    if (m_missedFirst >= 0)
        emit rowsChanged(m_missedFirst, m_missedLast);
    if (m_dataSet)
        emit currentRowChanged(m_dataSet->recNo());
}

} // namespace platform
