#pragma once

#include "platform/data_packet.h"
#include "platform/grid_column.h"

#include <QAbstractTableModel>

#include <functional>

#include <memory>
#include <vector>

namespace platform {

class ClientDataSet;
class DataLink;
class DataSource;

// The table model behind a data-aware grid: the record set is the source of
// truth, the model only maps columns to fields. Its row count changes only
// through model resets, so a view never sees rows come and go unannounced;
// a reload that keeps the rows is passed on as changed rows only,
// and data() is bounds-checked against the live set (a nested event loop
// can ask for a cell in the middle of an operation).
class GridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit GridModel(QObject *parent = nullptr);
    ~GridModel() override;

    void setDataSource(DataSource *source);
    DataSource *dataSource() const;

    // The text a screen reader reads for a cell: the one the view paints,
    // when it paints another than the field's display text.
    using CellText = std::function<QString(int row, int column)>;
    void setAccessibleText(CellText text) { m_accessibleText = std::move(text); }
    ClientDataSet *dataSet() const;
    DataLink &link() const { return *m_link; }

    GridColumn &addColumn(const QString &fieldName, const QString &title, int width,
                          Qt::Alignment titleAlignment);
    GridColumn &column(int index) const; // throws an Error when out of range
    GridColumn *columnAt(int index) const
    {
        return index >= 0 && size_t(index) < m_columns.size() ? m_columns[index].get() : nullptr;
    }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void columnWidthChanged(int column, int width);
    // A reload settled without a reset: the set's cursor may have moved.
    void rowsSettled();

private:
    CellText m_accessibleText;
    friend class GridColumn;
    void resolveFields();
    void rowsAboutToChange();
    void rowsChanged(int first, int last);
    void settleRows();
    void resetNow();
    void columnRebound(GridColumn &column);
    void columnTitleChanged(GridColumn &column);

    DataLink *m_link;
    std::vector<std::unique_ptr<GridColumn>> m_columns;
    int m_rowCount = 0;
    // The values the view was last told of, while newer ones wait for the
    // event loop to come round: reloads that end where they began (the
    // services of another flight, then of this one again) repaint nothing.
    std::vector<PacketColumn> m_shown;
    bool m_settling = false;
    bool m_resetOpen = false; // beginResetModel called, endResetModel not yet
};

} // namespace platform
