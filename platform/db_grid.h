#pragma once

#include "grid_column.h"

#include <QTableView>

#include <functional>

namespace platform {

class ClientDataSet;
class DataSource;
class GridModel;

struct GridDrawState
{
    bool selected = false;
    bool focused = false; // the grid's current cell while the grid has the focus
};

// A data-aware grid over a data source. Moving in the grid moves the record
// set's cursor and the other way round; Page Up / Page Down move the set by
// a page. Read-only, no indicator column, one cell selected (shown also
// without focus), Tab moves between cells, columns resizable.
class DBGrid : public QTableView
{
    Q_OBJECT

public:
    // Runs after the default drawing of each cell, with the painter set to
    // the grid's font; the set's active row is the painted row meanwhile.
    using DrawColumnCell = std::function<void(QPainter &painter, const QRect &cellRect, int row,
                                              const GridColumn &column, GridDrawState state)>;

    explicit DBGrid(QWidget *parent = nullptr);
    ~DBGrid() override;

    void setDataSource(DataSource *source);
    DataSource *dataSource() const;
    ClientDataSet *dataSet() const;
    GridModel *gridModel() const { return m_model; }

    // An empty title shows the field's display label.
    GridColumn &addColumn(const QString &fieldName, const QString &title = {}, int width = 64,
                          Qt::Alignment titleAlignment = Qt::AlignLeft);
    int columnCount() const;
    GridColumn &column(int index) const; // throws an Error when out of range

    void setOnDrawColumnCell(DrawColumnCell handler);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void changeEvent(QEvent *event) override;

private:
    friend class CellDelegate;
    void followCursor();
    void drawColumnCell(QPainter &painter, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const;
    void adjustLook();

    GridModel *m_model;
    DrawColumnCell m_onDrawColumnCell;
    bool m_following = false;
    int m_lastColumn = 0;
};

} // namespace platform
