// Situation codes turned into short texts and row colours; quantities,
// prices and departure times formatted for the two owner-drawn grids.

#include "screen/frm_pos_fec_dia_pla_voo.h"

#include "host/functions.h"
#include "platform/client_data_set.h"
#include "platform/field.h"
#include "platform/float_format.h"
#include "screen/painted_rows.h"
#include "screen/service_situation.h"
#include "screen/status_colors.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <memory>
#include <optional>

namespace Cli_ate25400 {
namespace {

// The fields the two painters tell columns by, in the order PaintedRows
// is given their names (prepareStatusDisplay).
enum PlanoVooName { PlanoVooSituation, PlanoVooDeparture };
enum ServPlanoName {
    ServPlanoSituation,
    ServPlanoInvoiceEntry,
    ServPlanoReais,
    ServPlanoDollars,
    ServPlanoFirstQuantity,
};
constexpr int ServPlanoQuantities = 5;

// Paints one whole cell, instead of the grid's own drawing: background,
// status colour, selection, text 2 pixels in (or ending 2 pixels before the
// column's right edge), focus rectangle last.
void paintCell(QPainter &canvas, const QWidget &grid, const QRect &rect,
               const std::optional<QColor> &statusColor, const CellText &cell, int columnWidth,
               platform::GridDrawState state)
{
    canvas.setBrush(infoBackground(&grid));
    canvas.fillRect(rect, canvas.brush());
    if (statusColor)
        canvas.setPen(*statusColor);
    // Left: 2 pixels in. Right: ending 2 pixels before the column's right
    // edge, that is at (column width - (text width + 2)) from its left.
    // Laid out once by the painter, which clips only a text that overflows.
    const QRect textRect =
        cell.rightAligned
            ? QRect(rect.left(), rect.top() + 2, columnWidth - 2, rect.height() - 2)
            : QRect(rect.left() + 2, rect.top() + 2, rect.width() - 2, rect.height() - 2);
    if (state.selected) {
        canvas.setBrush(highlight(&grid));
        canvas.fillRect(rect, canvas.brush());
        canvas.setPen(captionText(&grid));
    }
    canvas.drawText(textRect,
                    Qt::AlignTop | Qt::TextSingleLine
                        | (cell.rightAligned ? Qt::AlignRight : Qt::AlignLeft),
                    cell.text);
    if (state.focused) {
        QStyleOptionFocusRect focus;
        focus.initFrom(&grid);
        focus.rect = rect;
        focus.backgroundColor = canvas.brush().color();
        // Framed whenever the cell has the focus, not only after the
        // keyboard moved it, which is all some styles frame.
        focus.state |= QStyle::State_KeyboardFocusChange;
        grid.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &canvas, &grid);
    }
}

QString textOf(const platform::Field *field)
{
    return field ? field->asString() : QString();
}

// The painters tell columns by the field they show, never by position (the
// price column changes its field at run time); the fields of those names
// were looked up once for the set.
CellText planoVooText(const platform::Field &field, const PaintedRows &rows)
{
    if (&field == rows.named(PlanoVooDeparture)) {
        // Stored as four digits; no time at all shows an empty cell.
        const QString time = field.isNull() ? QString() : field.asString();
        if (time.isEmpty())
            return {};
        return {time.mid(0, 2) + QLatin1Char(':') + time.mid(2, 2)};
    }
    return {field.text()};
}

CellText servPlanoText(const platform::Field &field, const PaintedRows &rows)
{
    static const platform::FloatFormat quantity(QStringLiteral("###0.00"));
    static const platform::FloatFormat reais(QStringLiteral("R$ ###0.00"));
    static const platform::FloatFormat dollars(QStringLiteral("US$ ###0.00"));

    if (!field.isNull()) {
        for (int i = 0; i < ServPlanoQuantities; ++i) {
            if (&field == rows.named(ServPlanoFirstQuantity + i))
                return {quantity.format(field.asFloat()), true};
        }
        if (&field == rows.named(ServPlanoReais))
            return {reais.format(field.asFloat()), true};
        if (&field == rows.named(ServPlanoDollars))
            return {dollars.format(field.asFloat()), true};
    }
    return {field.text()};
}

// The cell's text as kept for its row, worked out on first use. The set's
// active row is the row meanwhile.
template<typename MakeText>
const CellText &cellText(PaintedRows::Row &row, const platform::GridColumn &column,
                         MakeText makeText)
{
    static const CellText none;
    const platform::Field *field = column.field();
    if (!field)
        return none;
    const std::size_t index = std::size_t(field->index());
    if (row.cells.size() <= index)
        row.cells.resize(field->dataSet().fields().size());
    std::optional<CellText> &cell = row.cells[index];
    if (!cell)
        cell = makeText(*field);
    return *cell;
}

} // namespace

void TfrmPosFecDiaPlaVoo::prepareStatusDisplay()
{
    // In the order of PlanoVooName and ServPlanoName.
    m_planoVooRows = std::make_unique<PaintedRows>(
        std::initializer_list<const char *>{"IDSITABASPV", "HRDECOLVOO"});
    m_servPlanoRows = std::make_unique<PaintedRows>(std::initializer_list<const char *>{
        "IDSITSERSP", "NRLANCTONF", "VRPRURESESP", "VRPRUDOLSESP", "QTSESBYPRSP", "QTSESOLICSP",
        "QTSERFATSP", "QTCORTSERVSP", "QTSERVFIXSP"});
}

void TfrmPosFecDiaPlaVoo::cdsPlanoVooIDSITABASPVGetText(platform::Field &sender, QString &text,
                                                        bool)
{
    text = msgPadrao->Msg(QStringLiteral("SIT") + sender.asString());
}

void TfrmPosFecDiaPlaVoo::cdsPlanoVooIDBREAKGERAGetText(platform::Field &sender, QString &text,
                                                        bool)
{
    const QString code = sender.asString();
    if (code == QLatin1String("1"))
        text = msg("N_GER");
    else if (code == QLatin1String("2"))
        text = msg("GER");
}

void TfrmPosFecDiaPlaVoo::cdsServPlanoIDSITSERSPGetText(platform::Field &sender, QString &text,
                                                        bool)
{
    text = serviceSituationText(sender, *msgPadrao);
}

QString TfrmPosFecDiaPlaVoo::dbgPlanoVooCellText(int row, const platform::GridColumn &column) const
{
    const platform::ClientDataSet *set = dbgPlanoVoo->dataSet();
    if (!set)
        return {};
    PaintedRows &rows = *m_planoVooRows;
    return cellText(rows.row(*set, row), column,
                    [&](const platform::Field &field) { return planoVooText(field, rows); })
        .text;
}

QString TfrmPosFecDiaPlaVoo::dbgServPlanoCellText(int row, const platform::GridColumn &column) const
{
    const platform::ClientDataSet *set = dbgServPlano->dataSet();
    if (!set)
        return {};
    PaintedRows &rows = *m_servPlanoRows;
    return cellText(rows.row(*set, row), column,
                    [&](const platform::Field &field) { return servPlanoText(field, rows); })
        .text;
}

void TfrmPosFecDiaPlaVoo::dbgPlanoVooDrawColumnCell(QPainter &canvas, const QRect &rect, int row,
                                                    const platform::GridColumn &column,
                                                    platform::GridDrawState state)
{
    const platform::ClientDataSet *set = dbgPlanoVoo->dataSet();
    if (!set)
        return;
    PaintedRows &rows = *m_planoVooRows;
    PaintedRows::Row &painted = rows.row(*set, row);
    if (!painted.colorKnown) {
        painted.color = planoVooColor(textOf(rows.named(PlanoVooSituation)));
        painted.colorKnown = true;
    }
    const CellText &text = cellText(
        painted, column, [&](const platform::Field &field) { return planoVooText(field, rows); });
    paintCell(canvas, *dbgPlanoVoo, rect, painted.color, text, column.width(), state);
}

void TfrmPosFecDiaPlaVoo::dbgServPlanoDrawColumnCell(QPainter &canvas, const QRect &rect, int row,
                                                     const platform::GridColumn &column,
                                                     platform::GridDrawState state)
{
    const platform::ClientDataSet *set = dbgServPlano->dataSet();
    if (!set)
        return;
    PaintedRows &rows = *m_servPlanoRows;
    PaintedRows::Row &painted = rows.row(*set, row);
    if (!painted.colorKnown) {
        painted.color = servPlanoColor(textOf(rows.named(ServPlanoSituation)),
                                       textOf(rows.named(ServPlanoInvoiceEntry)));
        painted.colorKnown = true;
    }
    const CellText &text = cellText(
        painted, column, [&](const platform::Field &field) { return servPlanoText(field, rows); });
    paintCell(canvas, *dbgServPlano, rect, painted.color, text, column.width(), state);
}

} // namespace Cli_ate25400
