#include "platform/grid_model.h"

#include <QCoreApplication>

#include <algorithm>

#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/data_link.h"

namespace platform {

GridModel::GridModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_link(new DataLink(this))
{
    connect(m_link, &DataLink::aboutToRefresh, this, [this] {
        // A reload of an open set waits for the event loop like changed
        // values do: the view may never need to hear of it.
        if (m_link->refreshingRowsOnly() && dataSet() && dataSet()->isActive() && m_rowCount > 0) {
            rowsAboutToChange();
            return;
        }
        m_settling = false;
        m_shown.clear();
        beginResetModel();
        m_resetOpen = true;
    });
    connect(m_link, &DataLink::refreshed, this, [this] {
        if (m_settling && !m_resetOpen) {
            const ClientDataSet *set = dataSet();
            if (set && set->isActive() && m_link->refreshingRowsOnly())
                return; // settled when the event loop comes round
            m_settling = false;
            m_shown.clear();
            beginResetModel();
            m_resetOpen = true;
        }
        resetNow();
    });
    connect(m_link, &DataLink::rowsAboutToChange, this, &GridModel::rowsAboutToChange);
    connect(m_link, &DataLink::rowsChanged, this, &GridModel::rowsChanged);
}

GridModel::~GridModel() = default;

// The same rows with new values: only the rows that differ from what the
// view shows are repainted, once the event loop comes round, and the view
// keeps its scroll position and selection.
void GridModel::rowsAboutToChange()
{
    const ClientDataSet *set = dataSet();
    if (m_settling || !set)
        return;
    m_shown = set->columns();
    m_settling = true;
    QMetaObject::invokeMethod(this, &GridModel::settleRows, Qt::QueuedConnection);
}

void GridModel::rowsChanged(int first, int last)
{
    // Waiting to be compared with what the view shows.
    if (m_settling)
        return;
    if (m_columns.empty() || m_rowCount == 0)
        return;
    const int bottom = std::min(last, m_rowCount - 1);
    if (first <= bottom)
        emit dataChanged(index(first, 0), index(bottom, int(m_columns.size()) - 1));
}

// Ends a reset begun by aboutToRefresh (or just now): the view takes the
// set's rows as they are.
void GridModel::resetNow()
{
    if (!m_resetOpen)
        beginResetModel();
    m_resetOpen = false;
    resolveFields();
    const ClientDataSet *set = dataSet();
    m_rowCount = set ? set->recordCount() : 0;
    endResetModel();
}

void GridModel::settleRows()
{
    if (!m_settling)
        return;
    m_settling = false;
    const std::vector<PacketColumn> shown = std::move(m_shown);
    m_shown.clear();
    const ClientDataSet *set = dataSet();
    if (!set || !set->isActive() || set->recordCount() != m_rowCount
        || !sameShape(shown, set->columns())) {
        resetNow();
        return;
    }
    const auto [first, last] = differingRows(shown, set->columns());
    if (first >= 0)
        rowsChanged(first, last);
    emit rowsSettled();
}

void GridModel::setDataSource(DataSource *source)
{
    m_link->setDataSource(source);
}

DataSource *GridModel::dataSource() const
{
    return m_link->dataSource();
}

ClientDataSet *GridModel::dataSet() const
{
    return m_link->dataSet();
}

void GridModel::resolveFields()
{
    const ClientDataSet *set = dataSet();
    for (const auto &column : m_columns)
        column->m_field = set ? set->findField(column->m_fieldName) : nullptr;
}

GridColumn &GridModel::addColumn(const QString &fieldName, const QString &title, int width,
                                 Qt::Alignment titleAlignment)
{
    const int index = int(m_columns.size());
    beginInsertColumns({}, index, index);
    m_columns.push_back(std::unique_ptr<GridColumn>(
        new GridColumn(this, index, fieldName, title, width, titleAlignment)));
    GridColumn &column = *m_columns.back();
    if (const ClientDataSet *set = dataSet())
        column.m_field = set->findField(fieldName);
    endInsertColumns();
    return column;
}

GridColumn &GridModel::column(int index) const
{
    if (GridColumn *column = columnAt(index))
        return *column;
    throw Error(
        QCoreApplication::translate("DbGrid", "Coluna %1 inexistente na grade.").arg(index));
}

void GridModel::columnRebound(GridColumn &column)
{
    const ClientDataSet *set = dataSet();
    column.m_field = set ? set->findField(column.m_fieldName) : nullptr;
    emit headerDataChanged(Qt::Horizontal, column.m_index, column.m_index);
    if (m_rowCount > 0)
        emit dataChanged(index(0, column.m_index), index(m_rowCount - 1, column.m_index));
}

void GridModel::columnTitleChanged(GridColumn &column)
{
    emit headerDataChanged(Qt::Horizontal, column.m_index, column.m_index);
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rowCount)
        return {};
    const GridColumn *column = columnAt(index.column());
    const Field *field = column ? column->field() : nullptr;
    if (!field || index.row() >= field->dataSet().recordCount())
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        QString text;
        guardedInPaint([&] { text = field->displayTextAt(index.row()); });
        return text;
    }
    case Qt::AccessibleTextRole: {
        if (!m_accessibleText)
            return {};
        QString text;
        guardedInPaint([&] { text = m_accessibleText(index.row(), index.column()); });
        return text;
    }
    case Qt::TextAlignmentRole:
        return int(field->alignment());
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const GridColumn *column = orientation == Qt::Horizontal ? columnAt(section) : nullptr;
    if (!column)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return column->title();
    case Qt::TextAlignmentRole:
        return int(column->titleAlignment() | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        return column->hint().isEmpty() ? QVariant() : QVariant(column->hint());
    default:
        return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace platform
