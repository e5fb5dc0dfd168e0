#pragma once

#include "platform/grid_column.h"

#include <QTableView>

class QAction;

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
// a page. Read-only, no indicator column, the current cell selected (shown
// also without focus; Shift or Ctrl with a click or an arrow select more),
// Tab moves between cells, columns resizable.
//
// Ctrl+C and the context menu's "Copiar" put the selected cells (the whole
// row for a single cell) on the clipboard as tab-separated text with their
// titles; "Exportar para CSV…" writes the whole grid to a file. Both take
// the texts as painted (cellText) from the record set, never the server.
class DBGrid : public QTableView
{
    Q_OBJECT

public:
    // Paints each cell instead of the default drawing (background,
    // selection, text and focus frame are all the handler's), with the
    // painter set to the grid's font and its pen to the cell's text colour;
    // the set's active row is the painted row meanwhile.
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
    // Widens a column, never narrows it, until its title and each of the
    // texts (cells the system itself writes) fit whole in the grid's fonts.
    void widenToFit(int column, const QStringList &texts = {});

    void setOnDrawColumnCell(DrawColumnCell handler);

    // The text a cell shows, for a grid whose owner-draw handler paints
    // another text than the field's; the set's active row is `row`
    // meanwhile. Without one, the field's display text.
    using CellText = std::function<QString(int row, const GridColumn &column)>;
    void setOnCellText(CellText handler) { m_onCellText = std::move(handler); }
    QString cellText(int row, int column) const;
    int rowCount() const;

    QAction *exportAction() const { return m_export; }
    void copySelection();
    // Asks for a file and writes the grid there; a failure throws
    // platform::Error (the action shows it) and leaves no file behind.
    void exportToCsv();

    // Where the export asks for its file: (parent, suggested path) to the
    // chosen path, empty when the user cancels. Tests replace it; null
    // restores the file dialog.
    using ExportPathPrompt = std::function<QString(QWidget *parent, const QString &suggested)>;
    static void setExportPathPrompt(ExportPathPrompt prompt);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;

private:
    friend class CellDelegate;
    void followCursor();
    void setFrozen(bool frozen);
    void disconnectEventLoopWatch();
    void addCopyAndExport();
    // False when the cell is not owner-drawn (no handler, or no such row).
    bool drawColumnCell(QPainter &painter, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const;
    void adjustLook();
    // True for the cells of the cursor's row but the current one while the
    // selection is the cursor's row: they are not painted as selected.
    bool selectedForTheCursorOnly(const QModelIndex &index) const;

    GridModel *m_model;
    DrawColumnCell m_onDrawColumnCell;
    CellText m_onCellText;
    QAction *m_copy;
    QAction *m_export;
    bool m_following = false;
    bool m_movingSet = false;
    mutable bool m_cursorSelection = true;
    int m_lastColumn = 0;
    bool m_updatesHeld = false;
    QList<QMetaObject::Connection> m_loopWatch;
};

} // namespace platform
