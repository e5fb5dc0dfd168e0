#include "host/record_set_model.h"

#include "platform/client_data_set.h"

namespace host {

std::vector<const platform::Field *> pickerFields(const platform::ClientDataSet *dataSet)
{
    std::vector<const platform::Field *> shown;
    if (!dataSet)
        return shown;
    for (const auto &field : dataSet->fields()) {
        if (field->isVisible()
            && field->name().compare(QLatin1String("IDMARCADO"), Qt::CaseInsensitive) != 0)
            shown.push_back(field.get());
    }
    return shown;
}

RecordSetModel::RecordSetModel(platform::ClientDataSet *dataSet, bool markColumn, QObject *parent)
    : QAbstractTableModel(parent)
    , m_dataSet(dataSet)
    , m_markColumn(markColumn)
{
    m_columns = pickerFields(dataSet);
    m_marks.assign(size_t(rowCount()), 0);
    // The pickers are modal: the rows cannot change under them, except by
    // the record set going away.
    if (dataSet) {
        connect(dataSet, &QObject::destroyed, this, [this] {
            beginResetModel();
            m_columns.clear();
            m_marks.clear();
            endResetModel();
        });
    }
}

// Also bounds the row by the marks: a nested event loop can ask for data
// while the record set is being replaced.
bool RecordSetModel::inRange(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.row() >= 0 && index.column() >= 0
           && index.row() < rowCount() && index.row() < int(m_marks.size())
           && index.column() < columnCount();
}

int RecordSetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_dataSet || !m_dataSet->isActive())
        return 0;
    return m_dataSet->recordCount();
}

int RecordSetModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_columns.size()) + (m_markColumn ? 1 : 0);
}

QVariant RecordSetModel::data(const QModelIndex &index, int role) const
{
    if (!inRange(index))
        return {};
    const int column = index.column() - (m_markColumn ? 1 : 0);
    if (column < 0) {
        if (role == Qt::CheckStateRole)
            return isMarked(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    const platform::Field *field = m_columns.at(size_t(column));
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return field->displayTextAt(index.row());
    case Qt::TextAlignmentRole:
        if (field->alignment())
            return int(field->alignment() | Qt::AlignVCenter);
        return int((field->isNumeric() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const int column = section - (m_markColumn ? 1 : 0);
    if (column < 0)
        return QString();
    return m_columns.at(size_t(column))->displayLabel();
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex &index) const
{
    if (!inRange(index))
        return Qt::NoItemFlags;
    // Not user-checkable: the picker toggles a mark itself, on a click
    // anywhere in the mark cell and on Space.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

bool RecordSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_markColumn || role != Qt::CheckStateRole || index.column() != 0 || !inRange(index))
        return false;
    setMarked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

bool RecordSetModel::isMarked(int row) const
{
    return row >= 0 && row < int(m_marks.size()) && m_marks[size_t(row)];
}

void RecordSetModel::setMarked(int row, bool marked)
{
    if (!m_markColumn || row < 0 || row >= int(m_marks.size())
        || bool(m_marks[size_t(row)]) == marked)
        return;
    m_marks[size_t(row)] = marked;
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void RecordSetModel::toggle(int row)
{
    setMarked(row, !isMarked(row));
}

void RecordSetModel::setAllMarked(bool marked)
{
    if (!m_markColumn || m_marks.empty())
        return;
    std::fill(m_marks.begin(), m_marks.end(), marked ? 1 : 0);
    emit dataChanged(index(0, 0), index(int(m_marks.size()) - 1, 0), {Qt::CheckStateRole});
}

int RecordSetModel::markedCount() const
{
    return int(std::count(m_marks.begin(), m_marks.end(), 1));
}

} // namespace host
