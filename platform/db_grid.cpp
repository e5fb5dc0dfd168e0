#include "platform/db_grid.h"

#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/data_link.h"
#include "platform/grid_model.h"

#include <QAbstractEventDispatcher>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

namespace platform {
namespace {

constexpr QItemSelectionModel::SelectionFlags cursorCommand =
    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;

} // namespace

class CellDelegate : public QStyledItemDelegate
{
public:
    explicit CellDelegate(DBGrid *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {
    }

    // An owner-drawn cell is painted by its hook alone: the default drawing
    // would only be painted over (and would lay out its text for nothing).
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem shown(option);
        if (m_grid->selectedForTheCursorOnly(index))
            shown.state &= ~QStyle::State_Selected;
        if (!m_grid->drawColumnCell(*painter, shown, index))
            QStyledItemDelegate::paint(painter, shown, index);
    }

private:
    DBGrid *m_grid;
};

DBGrid::DBGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new GridModel(this))
{
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectItems);
    setSelectionMode(ExtendedSelection);
    setTabKeyNavigation(true);
    setShowGrid(true);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setItemDelegate(new CellDelegate(this));
    setModel(m_model);
    m_model->setAccessibleText([this](int row, int column) { return cellText(row, column); });
    adjustLook();

    addCopyAndExport();

    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::followCursor);
    connect(m_model, &GridModel::rowsSettled, this, &DBGrid::followCursor);
    connect(&m_model->link(), &DataLink::currentRowChanged, this, &DBGrid::followCursor);
    connect(&m_model->link(), &DataLink::frozenChanged, this, &DBGrid::setFrozen);
    connect(m_model, &GridModel::columnWidthChanged, this,
            [this](int column, int width) { setColumnWidth(column, width); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int width) {
                if (GridColumn *column = m_model->columnAt(section))
                    column->setWidth(width);
            });
}

DBGrid::~DBGrid() = default;

void DBGrid::setDataSource(DataSource *source)
{
    m_model->setDataSource(source);
}

DataSource *DBGrid::dataSource() const
{
    return m_model->dataSource();
}

ClientDataSet *DBGrid::dataSet() const
{
    return m_model->dataSet();
}

GridColumn &DBGrid::addColumn(const QString &fieldName, const QString &title, int width,
                              Qt::Alignment titleAlignment)
{
    GridColumn &column = m_model->addColumn(fieldName, title, width, titleAlignment);
    setColumnWidth(column.index(), width);
    return column;
}

int DBGrid::columnCount() const
{
    return m_model->columnCount();
}

GridColumn &DBGrid::column(int index) const
{
    return m_model->column(index);
}

void DBGrid::widenToFit(int index, const QStringList &texts)
{
    const GridColumn &gridColumn = column(index);
    QHeaderView *header = horizontalHeader();
    const int titleMargins =
        2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    int needed = QFontMetrics(header->font()).horizontalAdvance(gridColumn.title()) + titleMargins;
    const QFontMetrics cellMetrics(font());
    for (const QString &text : texts)
        needed = qMax(needed, cellMetrics.horizontalAdvance(text) + 4);
    if (needed > columnWidth(index))
        setColumnWidth(index, needed);
}

void DBGrid::setOnDrawColumnCell(DrawColumnCell handler)
{
    m_onDrawColumnCell = std::move(handler);
    viewport()->update();
}

void DBGrid::adjustLook()
{
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    // The selection stays visible when the grid does not have the focus.
    QPalette look = palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        look.setColor(QPalette::Inactive, role, look.color(QPalette::Active, role));
    if (look != palette())
        setPalette(look);
}

void DBGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        adjustLook();
}

// While the set's controls are disabled the grid hears nothing, so nothing
// of it needs repainting as long as no event loop runs: updates are held
// only once one does (a message box in the middle of a reload), since
// holding them costs a repaint of the whole grid when they are let go.
void DBGrid::setFrozen(bool frozen)
{
    if (frozen) {
        if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance()) {
            const auto hold = [this] {
                disconnectEventLoopWatch();
                m_updatesHeld = true;
                viewport()->setUpdatesEnabled(false);
            };
            m_loopWatch = {connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, hold),
                           connect(dispatcher, &QAbstractEventDispatcher::awake, this, hold)};
        }
        return;
    }
    disconnectEventLoopWatch();
    if (m_updatesHeld) {
        m_updatesHeld = false;
        viewport()->setUpdatesEnabled(true);
    }
}

void DBGrid::disconnectEventLoopWatch()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_loopWatch))
        disconnect(connection);
    m_loopWatch.clear();
}

// Changed rows out of sight need no repaint.
void DBGrid::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                         const QList<int> &roles)
{
    const int top = rowAt(0);
    int bottom = rowAt(viewport()->height() - 1);
    if (bottom < 0)
        bottom = m_model->rowCount() - 1;
    if (top >= 0 && (bottomRight.row() < top || topLeft.row() > bottom))
        return;
    QTableView::dataChanged(topLeft, bottomRight, roles);
}

// Puts the set's cursor into the view. Guarded by a flag so that the view's
// own current-changed does not move the set back.
void DBGrid::followCursor()
{
    const ClientDataSet *set = dataSet();
    if (!set || m_movingSet || m_model->link().isFrozen() || m_model->columnCount() == 0)
        return;
    const int row = set->recNo();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex current = currentIndex();
    const int column =
        qBound(0, current.isValid() ? current.column() : m_lastColumn, m_model->columnCount() - 1);
    const QModelIndex target = m_model->index(row, column);
    const bool selected = m_cursorSelection ? selectionModel()->isRowSelected(row, {})
                                            : selectionModel()->isSelected(target);
    if (target == current && selected)
        return;
    m_following = true;
    m_cursorSelection = true;
    selectionModel()->setCurrentIndex(target, cursorCommand);
    m_following = false;
}

// A plain move or click selects the cursor's whole row, so that an
// assistive tool reads the current row as the table's selection; the grid
// paints its current cell alone as selected. A selection the user extends
// (Shift, Ctrl, a drag) is painted and copied as it is.
QItemSelectionModel::SelectionFlags DBGrid::selectionCommand(const QModelIndex &index,
                                                             const QEvent *event) const
{
    const QItemSelectionModel::SelectionFlags command = QTableView::selectionCommand(index, event);
    if (command == QItemSelectionModel::ClearAndSelect) {
        m_cursorSelection = true;
        return cursorCommand;
    }
    if (command
        & (QItemSelectionModel::Select | QItemSelectionModel::Deselect
           | QItemSelectionModel::Toggle))
        m_cursorSelection = false;
    return command;
}

bool DBGrid::selectedForTheCursorOnly(const QModelIndex &index) const
{
    return m_cursorSelection && index != currentIndex();
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (!current.isValid())
        return;
    m_lastColumn = current.column();
    ClientDataSet *set = dataSet();
    if (m_following || !set || m_model->link().isFrozen() || current.row() == set->recNo()
        || current.row() >= set->recordCount())
        return;
    // The set's after-scroll may fail (an abort, a refused reply): the
    // cursor has moved all the same and the view stays where it is.
    // The set follows the view here; the view need not follow it back (its
    // selection is the view's own doing, a Shift-click's range included).
    m_movingSet = true;
    guarded([&] { set->setRecNo(current.row()); });
    m_movingSet = false;
    if (set->recNo() != current.row())
        followCursor();
}

bool DBGrid::drawColumnCell(QPainter &painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    if (!m_onDrawColumnCell)
        return false;
    const GridColumn *column = m_model->columnAt(index.column());
    const ClientDataSet *set = dataSet();
    if (!column || !set || index.row() >= set->recordCount())
        return false;
    GridDrawState state;
    state.selected = option.state.testFlag(QStyle::State_Selected);
    state.focused = option.state.testFlag(QStyle::State_HasFocus);
    painter.save();
    painter.setFont(font());
    painter.setPen(
        option.palette.color(state.selected ? QPalette::HighlightedText : QPalette::Text));
    {
        ClientDataSet::RowScope scope(*set, index.row());
        guardedInPaint(
            [&] { m_onDrawColumnCell(painter, option.rect, index.row(), *column, state); });
    }
    painter.restore();
    return true;
}

} // namespace platform
