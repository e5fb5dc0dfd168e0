#include "platform/db_text.h"

#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/data_link.h"

namespace platform {

DBText::DBText(QWidget *parent)
    : QLabel(parent)
    , m_link(new DataLink(this))
{
    connect(m_link, &DataLink::refreshed, this, &DBText::refresh);
    connect(m_link, &DataLink::currentRowChanged, this, &DBText::refresh);
    connect(m_link, &DataLink::rowsChanged, this, &DBText::refresh);
}

void DBText::setDataSource(DataSource *source)
{
    m_link->setDataSource(source);
}

DataSource *DBText::dataSource() const
{
    return m_link->dataSource();
}

void DBText::setDataField(const QString &fieldName)
{
    m_dataField = fieldName;
    refresh();
}

Field *DBText::field() const
{
    const ClientDataSet *set = m_link->dataSet();
    return set ? set->findField(m_dataField) : nullptr;
}

void DBText::refresh()
{
    QString text;
    if (const Field *shown = field())
        guardedInPaint([&] { text = shown->displayText(); });
    setText(text);
}

} // namespace platform
