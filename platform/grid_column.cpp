#include "platform/grid_column.h"

#include "platform/field.h"
#include "platform/grid_model.h"

namespace platform {

GridColumn::GridColumn(GridModel *model, int index, const QString &fieldName, const QString &title,
                       int width, Qt::Alignment titleAlignment)
    : m_model(model)
    , m_index(index)
    , m_fieldName(fieldName)
    , m_title(title)
    , m_width(width)
    , m_titleAlignment(titleAlignment)
{
}

void GridColumn::setFieldName(const QString &fieldName)
{
    if (fieldName == m_fieldName)
        return;
    m_fieldName = fieldName;
    m_model->columnRebound(*this);
}

QString GridColumn::title() const
{
    if (!m_title.isEmpty())
        return m_title;
    return m_field ? m_field->displayLabel() : m_fieldName;
}

void GridColumn::setTitle(const QString &title)
{
    m_title = title;
    m_model->columnTitleChanged(*this);
}

void GridColumn::setWidth(int width)
{
    if (width == m_width)
        return;
    m_width = width;
    emit m_model->columnWidthChanged(m_index, width);
}

} // namespace platform
