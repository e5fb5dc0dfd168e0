#include "platform/client_data_set.h"
#include "platform/data_source.h"
#include "platform/db_grid.h"
#include "platform/db_text.h"
#include "platform/grid_model.h"
#include "platform/tests/test_support.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace platform;
using namespace platform::testing;

class DBGridTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void keysAndClicksMoveTheSetOnce();
    void setMovesTheGridWithoutFeedback();
    void pageKeysMoveTheSetByAPage();
    void reloadPutsTheCursorBackIntoTheGrid();
    void rebindingAColumnUpdatesTitleAndCells();
    void ownerDrawReplacesDefaultWithRowColumnAndState();
    void disabledControlsFreezeTheGridAndCatchUp();
    void reloadRepaintsOnlyTheRowsThatChanged();
    void frozenReloadRepaintsOnlyWhatChanged();
    void reloadsWithinOneTurnRepaintOnlyTheNetChange();
    void afterScrollFailureInNavigationIsShown();
    void dbTextFollowsTheCurrentRow();
    void destroyedSetLeavesAnEmptyGrid();

private:
    QModelIndex cell(int row, int column) const { return m_grid->gridModel()->index(row, column); }
    // The viewport's paint events from now on: what a reload costs on screen.
    QList<QRect> paintsOf(const std::function<void()> &work);
    void click(int row, int column)
    {
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {},
                          m_grid->visualRect(cell(row, column)).center());
    }

    std::unique_ptr<QWidget> m_form;
    ClientDataSet *m_set = nullptr;
    DataSource *m_source = nullptr;
    DBGrid *m_grid = nullptr;
    int m_scrolls = 0;
};

void DBGridTest::init()
{
    m_form = std::make_unique<QWidget>();
    m_form->resize(400, 300);
    m_set = new ClientDataSet(m_form.get());
    declareFlightFields(*m_set);
    m_set->fieldByName("IDSIT").setDisplayLabel(QStringLiteral("Sit."));
    m_set->fieldByName("QTPAX").setDisplayFormat(QStringLiteral("##0.00"));
    m_source = new DataSource(m_set, m_form.get());
    m_grid = new DBGrid(m_form.get());
    m_grid->setObjectName(QStringLiteral("dbgPlanoVoo"));
    new QAbstractItemModelTester(m_grid->gridModel(),
                                 QAbstractItemModelTester::FailureReportingMode::QtTest, m_grid);
    m_grid->setDataSource(m_source);
    m_grid->addColumn(QStringLiteral("IDSIT"), {}, 30);
    m_grid->addColumn(QStringLiteral("NRVOO"), QStringLiteral("Vôo"), 50);
    m_grid->addColumn(QStringLiteral("QTPAX"), QStringLiteral("Pax"), 60, Qt::AlignRight);
    // No layout on the window: the offscreen platform warns about size hints.
    m_grid->setGeometry(0, 0, 400, 260);
    m_scrolls = 0;
    m_set->setAfterScroll([this](ClientDataSet &) { ++m_scrolls; });
    m_set->loadPacket(flightPacket(60));
    m_scrolls = 0;
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    m_grid->setFocus();
    QTRY_VERIFY(m_grid->hasFocus());
}

void DBGridTest::cleanup()
{
    m_form.reset();
}

// Moving in the grid must move the set's cursor exactly once per move, and
// a move between cells of one row must not move it at all.
void DBGridTest::keysAndClicksMoveTheSetOnce()
{
    QCOMPARE(m_grid->currentIndex(), cell(0, 0));
    QTest::keyClick(m_grid, Qt::Key_Down);
    QCOMPARE(m_set->recNo(), 1);
    QCOMPARE(m_scrolls, 1);
    QTest::keyClick(m_grid, Qt::Key_Tab);
    QTest::keyClick(m_grid, Qt::Key_Right);
    QCOMPARE(m_grid->currentIndex(), cell(1, 2));
    QCOMPARE(m_scrolls, 1);
    click(5, 1);
    QCOMPARE(m_set->recNo(), 5);
    QCOMPARE(m_scrolls, 2);
    click(5, 0);
    QTest::keyClick(m_grid, Qt::Key_Up);
    QCOMPARE(m_set->recNo(), 4);
    QCOMPARE(m_scrolls, 3);
}

// Moving the set must move the grid's current row without the grid moving
// the set back (one after-scroll), keeping the current column.
void DBGridTest::setMovesTheGridWithoutFeedback()
{
    click(0, 2);
    m_set->setRecNo(40);
    QCOMPARE(m_scrolls, 1);
    QCOMPARE(m_grid->currentIndex(), cell(40, 2));
    QVERIFY(m_grid->selectionModel()->isSelected(cell(40, 2)));
    QVERIFY(m_grid->viewport()->rect().contains(m_grid->visualRect(cell(40, 2))));
    m_set->first();
    QCOMPARE(m_grid->currentIndex(), cell(0, 2));
    QCOMPARE(m_scrolls, 2);
}

// Page Down / Page Up must move the set by a page of rows, one after-scroll each.
void DBGridTest::pageKeysMoveTheSetByAPage()
{
    const int visibleRows = m_grid->viewport()->height() / m_grid->rowHeight(0);
    QVERIFY(visibleRows > 3);
    QTest::keyClick(m_grid, Qt::Key_PageDown);
    const int page = m_set->recNo();
    QVERIFY2(qAbs(page - visibleRows) <= 1,
             qPrintable(QStringLiteral("%1 vs %2").arg(page).arg(visibleRows)));
    QCOMPARE(m_scrolls, 1);
    QTest::keyClick(m_grid, Qt::Key_PageDown, Qt::AltModifier);
    QVERIFY(m_set->recNo() > page);
    QTest::keyClick(m_grid, Qt::Key_PageUp);
    QTest::keyClick(m_grid, Qt::Key_PageUp);
    QCOMPARE(m_set->recNo(), 0);
    QCOMPARE(m_scrolls, 4);
}

// After a reload (and after close) the grid must show the new rows with the
// set's current row selected and raise no extra after-scroll.
void DBGridTest::reloadPutsTheCursorBackIntoTheGrid()
{
    click(7, 1);
    m_scrolls = 0;
    m_set->loadPacket(flightPacket(10));
    QCOMPARE(m_scrolls, 1);
    // The grid catches up with a reload when the event loop comes round.
    QTRY_COMPARE(m_grid->gridModel()->rowCount(), 10);
    QCOMPARE(m_grid->currentIndex(), cell(0, 1));
    m_set->close();
    QCOMPARE(m_grid->gridModel()->rowCount(), 0);
    QVERIFY(!m_grid->currentIndex().isValid());
    m_set->loadPacket(flightPacket(3));
    QCOMPARE(m_grid->currentIndex(), cell(0, 1));
    QCOMPARE(m_scrolls, 2);
    QCOMPARE(m_grid->gridModel()->data(cell(2, 2)).toString(), QLocale().toString(3.0, 'f', 2));
    QCOMPARE(m_grid->gridModel()->data(cell(3, 2)), QVariant());

    // Another set behind the same source: the columns find its fields by name.
    ClientDataSet other;
    other.addField(QStringLiteral("NRVOO"), FieldType::String, 5);
    other.loadPacket(makePacket({{QStringLiteral("NRVOO"), FieldType::String, 5}},
                                {{QStringLiteral("A1")}, {QStringLiteral("B2")}}));
    other.next();
    m_source->setDataSet(&other);
    QCOMPARE(m_grid->gridModel()->rowCount(), 2);
    QCOMPARE(m_grid->gridModel()->data(cell(1, 1)).toString(), QStringLiteral("B2"));
    QCOMPARE(m_grid->gridModel()->data(cell(1, 0)), QVariant());
    QCOMPARE(m_grid->currentIndex(), cell(1, 1));
    m_source->setDataSet(m_set);
}

// Re-binding a column to another field at run time must change its title
// (when the title comes from the field) and its cells.
void DBGridTest::rebindingAColumnUpdatesTitleAndCells()
{
    GridModel *model = m_grid->gridModel();
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Sit."));
    QCOMPARE(model->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
             int(Qt::AlignRight));
    QSignalSpy headers(model, &QAbstractItemModel::headerDataChanged);
    QSignalSpy cells(model, &QAbstractItemModel::dataChanged);

    m_grid->column(0).setFieldName(QStringLiteral("CDCIA"));
    QCOMPARE(m_grid->column(0).field(), m_set->findField("CDCIA"));
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("CDCIA"));
    QCOMPARE(model->data(cell(4, 0)).toString(), QStringLiteral("CI1"));
    m_grid->column(1).setFieldName(QStringLiteral("QTPAX"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Vôo"));
    QCOMPARE(model->data(cell(4, 1)).toString(), QLocale().toString(6.0, 'f', 2));
    QCOMPARE(headers.count(), 2);
    QCOMPARE(cells.count(), 2);

    m_grid->column(1).setFieldName(QStringLiteral("NOSUCHFIELD"));
    QVERIFY(!m_grid->column(1).field());
    QCOMPARE(model->data(cell(4, 1)), QVariant());
    QVERIFY_THROWS_EXCEPTION(Error, m_grid->column(3));
}

// The owner-draw hook must replace the default drawing (which would read
// every cell's text only to be painted over), run once per visible cell,
// with the grid's font, the painted row active in the set and the
// selected/focused state of the grid's current cell.
void DBGridTest::ownerDrawReplacesDefaultWithRowColumnAndState()
{
    int textsAsked = 0;
    m_set->fieldByName("NRVOO").setOnGetText([&](Field &field, QString &text, bool) {
        ++textsAsked;
        text = field.asString();
    });
    m_grid->setOnDrawColumnCell([&](QPainter &painter, const QRect &rect, int, const GridColumn &,
                                    GridDrawState) { painter.fillRect(rect, Qt::blue); });
    m_grid->viewport()->grab();
    QCOMPARE(textsAsked, 0);
    m_grid->setOnDrawColumnCell({});
    m_grid->viewport()->grab();
    QVERIFY(textsAsked > 0);
    m_set->fieldByName("NRVOO").setOnGetText({});

    struct Call
    {
        int row, column;
        GridDrawState state;
        QString text;
        bool gridFont;
    };
    QList<Call> calls;
    m_grid->setOnDrawColumnCell([&](QPainter &painter, const QRect &rect, int row,
                                    const GridColumn &column, GridDrawState state) {
        calls << Call{row, column.index(), state, column.field()->text(),
                      painter.font() == m_grid->font()};
        painter.fillRect(rect, Qt::red);
    });
    click(2, 1);
    calls.clear();
    const QImage image = m_grid->viewport()->grab().toImage();

    QVERIFY(!calls.isEmpty());
    int current = 0;
    for (const Call &call : std::as_const(calls)) {
        QVERIFY(call.gridFont);
        const bool isCurrent = call.row == 2 && call.column == 1;
        current += isCurrent;
        QCOMPARE(call.state.selected, isCurrent);
        QCOMPARE(call.state.focused, isCurrent);
        const Field &field = *m_grid->column(call.column).field();
        QCOMPARE(call.text, field.textAt(call.row));
    }
    QCOMPARE(current, 1);
    const QPoint centre = m_grid->visualRect(cell(2, 1)).center();
    QCOMPARE(image.pixelColor(centre * image.devicePixelRatio()), QColor(Qt::red));

    // Without the focus the current cell stays selected but not focused.
    auto *other = new QWidget(m_form.get());
    other->setFocusPolicy(Qt::StrongFocus);
    other->setGeometry(0, 270, 400, 20);
    other->show();
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    calls.clear();
    m_grid->viewport()->grab();
    const auto it = std::find_if(calls.begin(), calls.end(),
                                 [](const Call &c) { return c.row == 2 && c.column == 1; });
    QVERIFY(it != calls.end());
    QVERIFY(it->state.selected);
    QVERIFY(!it->state.focused);
}

// While the set's controls are disabled the grid must neither repaint nor
// follow, the set's events still fire, and enabling catches the grid up.
void DBGridTest::disabledControlsFreezeTheGridAndCatchUp()
{
    click(3, 1);
    m_scrolls = 0;
    {
        DisabledControls frozen(*m_set);
        m_set->loadPacket(flightPacket(20));
        QVERIFY(m_set->locate(QStringLiteral("NRVOO"), {QStringLiteral("1012")}));
        QCOMPARE(m_scrolls, 2);
        // An event loop in the middle of the reload (a message box) must
        // not paint the half-done grid.
        QCoreApplication::processEvents();
        QVERIFY(!m_grid->viewport()->updatesEnabled());
        QCOMPARE(m_grid->gridModel()->rowCount(), 60);
        QCOMPARE(m_grid->currentIndex(), cell(3, 1));
        m_set->disableControls(); // nested
        m_set->enableControls();
        QVERIFY(!m_grid->viewport()->updatesEnabled());
    }
    QVERIFY(m_grid->viewport()->updatesEnabled());
    QCOMPARE(m_grid->gridModel()->rowCount(), 20);
    QCOMPARE(m_grid->currentIndex(), cell(12, 1));
    QCOMPARE(m_scrolls, 2);
}

namespace {

class PaintRecorder : public QObject
{
public:
    QList<QRect> rects;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            rects << static_cast<QPaintEvent *>(event)->rect();
        return false;
    }
};

// The flights of flightPacket(rowCount), with other situations in `rows`.
DataPacket withSituation(int rowCount, const QList<int> &rows, const QString &situation)
{
    DataPacket packet = flightPacket(rowCount);
    QList<QVariantList> values;
    for (int i = 0; i < rowCount; ++i) {
        QVariantList row;
        for (int field = 0; field < packet.fields.size(); ++field)
            row << packet.columns[std::size_t(field)].value(i);
        if (rows.contains(i))
            row[2] = situation;
        values << row;
    }
    return makePacket(flightFields(), values);
}

} // namespace

QList<QRect> DBGridTest::paintsOf(const std::function<void()> &work)
{
    // Whatever was pending before is painted first.
    QCoreApplication::processEvents();
    PaintRecorder recorder;
    m_grid->viewport()->installEventFilter(&recorder);
    work();
    // One turn settles what changed, the next paints it.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    m_grid->viewport()->removeEventFilter(&recorder);
    return recorder.rects;
}

// A refresh that brings the same rows must not repaint the grid (a screen
// left open all day would repaint every period for nothing), and one that
// changes a row must repaint that row alone, keeping scroll and selection.
void DBGridTest::reloadRepaintsOnlyTheRowsThatChanged()
{
    m_set->setRecNo(0);
    QCOMPARE(paintsOf([&] { m_set->loadPacket(flightPacket(60)); }), QList<QRect>());
    // ... while the load still runs the after-scroll that reads what
    // depends on the current row.
    QCOMPARE(m_scrolls, 1);

    const int rowHeight = m_grid->rowHeight(2);
    const QList<QRect> changed =
        paintsOf([&] { m_set->loadPacket(withSituation(60, {2}, QStringLiteral("9"))); });
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().top(), m_grid->rowViewportPosition(2));
    QVERIFY(changed.first().height() <= rowHeight + 1);
    QCOMPARE(m_grid->gridModel()->index(2, 0).data().toString(), QStringLiteral("9"));
    QCOMPARE(m_set->fieldByName("IDSIT").asString(), QStringLiteral("1"));

    // Out of sight: nothing to paint, but the new value is there to scroll to.
    QCOMPARE(paintsOf([&] {
                 m_set->loadPacket(withSituation(60, {2, 58}, QStringLiteral("9")));
             }),
             QList<QRect>());
    QCOMPARE(m_grid->gridModel()->index(58, 0).data().toString(), QStringLiteral("9"));

    // Another row count is a new set of rows: all of it is repainted.
    QVERIFY(!paintsOf([&] { m_set->loadPacket(flightPacket(59)); }).isEmpty());
    QCOMPARE(m_grid->gridModel()->rowCount(), 59);
}

// The refresh tick's pattern: reload and move elsewhere and back while
// frozen. Nothing changed: nothing repainted; one visible row changed: that
// row alone.
void DBGridTest::frozenReloadRepaintsOnlyWhatChanged()
{
    click(5, 1);
    const auto reloadAndComeBack = [&](const DataPacket &packet) {
        DisabledControls frozen(*m_set);
        m_set->loadPacket(packet);
        QVERIFY(m_set->locate(QStringLiteral("NRVOO"), {QStringLiteral("1005")}));
    };
    QCOMPARE(paintsOf([&] { reloadAndComeBack(flightPacket(60)); }), QList<QRect>());
    QCOMPARE(m_grid->currentIndex(), cell(5, 1));

    const QList<QRect> changed =
        paintsOf([&] { reloadAndComeBack(withSituation(60, {3}, QStringLiteral("7"))); });
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().top(), m_grid->rowViewportPosition(3));
    QCOMPARE(m_grid->gridModel()->index(3, 0).data().toString(), QStringLiteral("7"));
    QCOMPARE(m_grid->currentIndex(), cell(5, 1));

    // A flight gone: the rows were replaced, the grid catches up whole.
    QVERIFY(!paintsOf([&] {
                 DisabledControls frozen(*m_set);
                 m_set->loadPacket(flightPacket(20));
             }).isEmpty());
    QCOMPARE(m_grid->gridModel()->rowCount(), 20);
    QCOMPARE(m_grid->currentIndex(), cell(0, 1));
}

// The services of another flight and then of this one again, read in one
// go as the refresh does: what the user sees is the net change, so that is
// all that may be repainted, and the cells must show the last values.
void DBGridTest::reloadsWithinOneTurnRepaintOnlyTheNetChange()
{
    m_set->setRecNo(0);
    QCOMPARE(paintsOf([&] {
                 m_set->loadPacket(withSituation(60, {1, 2, 3}, QStringLiteral("8")));
                 m_set->loadPacket(flightPacket(60));
             }),
             QList<QRect>());
    QCOMPARE(m_grid->gridModel()->index(2, 0).data().toString(), QStringLiteral("3"));

    const QList<QRect> changed = paintsOf([&] {
        m_set->loadPacket(withSituation(60, {1, 2, 3}, QStringLiteral("8")));
        m_set->loadPacket(withSituation(60, {4}, QStringLiteral("8")));
    });
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().top(), m_grid->rowViewportPosition(4));
    QCOMPARE(m_grid->gridModel()->index(4, 0).data().toString(), QStringLiteral("8"));
    QCOMPARE(m_grid->gridModel()->index(2, 0).data().toString(), QStringLiteral("3"));

    // Replaced rows in between: the grid is reset and repainted whole.
    QVERIFY(!paintsOf([&] {
                 m_set->loadPacket(withSituation(60, {1}, QStringLiteral("8")));
                 m_set->loadPacket(flightPacket(30));
                 m_set->loadPacket(flightPacket(60));
             }).isEmpty());
    QCOMPARE(m_grid->gridModel()->rowCount(), 60);
}

// A failing after-scroll during grid navigation must reach the error display
// (not Qt's event loop), with the set and the grid on the new row.
void DBGridTest::afterScrollFailureInNavigationIsShown()
{
    ErrorRecorder errors;
    m_set->setAfterScroll([](ClientDataSet &) { throw Error(QStringLiteral("Falha ao ler.")); });
    QTest::keyClick(m_grid, Qt::Key_Down);
    QCOMPARE(errors.messages, QStringList{QStringLiteral("Falha ao ler.")});
    QCOMPARE(m_set->recNo(), 1);
    QCOMPARE(m_grid->currentIndex().row(), 1);
}

// The data-aware label must show its field of the current row, and hold
// still while the set's controls are disabled.
void DBGridTest::dbTextFollowsTheCurrentRow()
{
    DBText label(m_form.get());
    label.setDataSource(m_source);
    label.setDataField(QStringLiteral("NRVOO"));
    QCOMPARE(label.text(), QStringLiteral("1000"));
    QTest::keyClick(m_grid, Qt::Key_Down);
    QCOMPARE(label.text(), QStringLiteral("1001"));
    m_set->disableControls();
    m_set->last();
    QCOMPARE(label.text(), QStringLiteral("1001"));
    m_set->enableControls();
    QCOMPARE(label.text(), QStringLiteral("1059"));
    m_set->close();
    QCOMPARE(label.text(), QString());
    m_source->setDataSet(nullptr);
    QVERIFY(!label.field());
}

// A set destroyed before its grid must leave the grid empty, not holding
// fields that are gone.
void DBGridTest::destroyedSetLeavesAnEmptyGrid()
{
    m_grid->setOnDrawColumnCell([](QPainter &, const QRect &, int, const GridColumn &column,
                                   GridDrawState) { QVERIFY(column.field()); });
    delete m_set;
    QCOMPARE(m_grid->gridModel()->rowCount(), 0);
    QVERIFY(!m_grid->column(1).field());
    QCOMPARE(m_grid->column(1).title(), QStringLiteral("Vôo"));
    m_grid->viewport()->grab();
}

QTEST_MAIN(DBGridTest)
#include "tst_db_grid.moc"
