// Situation codes turned into short texts and row colours; quantities,
// prices and departure times formatted for the two owner-drawn grids.

#include "frm_pos_fec_dia_pla_voo.h"

#include "client_data_set.h"
#include "field.h"
#include "float_format.h"
#include "functions.h"
#include "status_colors.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <optional>

namespace Cli_ate25400 {
namespace {

struct CellText
{
    QString text;
    bool rightAligned = false;
};

// Paints one cell over the grid's own drawing: background, status colour,
// selection, text 2 pixels in (or ending 2 pixels before the column's
// right edge), focus rectangle last.
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
    const QRect textRect = cell.rightAligned
                               ? QRect(rect.left(), rect.top() + 2, columnWidth - 2, rect.height() - 2)
                               : QRect(rect.left() + 2, rect.top() + 2, rect.width() - 2,
                                       rect.height() - 2);
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

// The painters tell columns by the field they show, never by position: the
// price column changes its field at run time.
bool shows(const platform::GridColumn &column, const platform::ClientDataSet &set,
           const char *fieldName)
{
    return column.field() && column.field() == set.findField(QLatin1String(fieldName));
}

CellText planoVooText(const platform::GridColumn &column, const platform::ClientDataSet &set)
{
    const platform::Field *field = column.field();
    if (!field)
        return {};
    if (shows(column, set, "HRDECOLVOO")) {
        // Stored as four digits; no time at all shows an empty cell.
        const QString time = field->isNull() ? QString() : field->asString();
        if (time.isEmpty())
            return {};
        return {time.mid(0, 2) + QLatin1Char(':') + time.mid(2, 2)};
    }
    return {field->text()};
}

CellText servPlanoText(const platform::GridColumn &column, const platform::ClientDataSet &set)
{
    static const platform::FloatFormat quantity(QStringLiteral("###0.00"));
    static const platform::FloatFormat reais(QStringLiteral("R$ ###0.00"));
    static const platform::FloatFormat dollars(QStringLiteral("US$ ###0.00"));

    const platform::Field *field = column.field();
    if (!field)
        return {};
    if (!field->isNull()) {
        for (const char *name :
             {"QTSESBYPRSP", "QTSESOLICSP", "QTSERFATSP", "QTCORTSERVSP", "QTSERVFIXSP"}) {
            if (shows(column, set, name))
                return {quantity.format(field->asFloat()), true};
        }
        if (shows(column, set, "VRPRURESESP"))
            return {reais.format(field->asFloat()), true};
        if (shows(column, set, "VRPRUDOLSESP"))
            return {dollars.format(field->asFloat()), true};
    }
    return {field->text()};
}

QString textOf(const platform::ClientDataSet &set, const char *fieldName)
{
    return set.fieldByName(QLatin1String(fieldName)).asString();
}

} // namespace

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
    const QString situation = sender.asString();
    if (situation == QLatin1String("3"))
        text = msg("Sit3");
    else if (!host::EmptyString(textOf(sender.dataSet(), "NRLANCTONF")))
        text = msg("Sit4");
    else if (situation == QLatin1String("1"))
        text = msg("Sit1");
    else if (situation == QLatin1String("2"))
        text = msg("Sit2");
}

QString TfrmPosFecDiaPlaVoo::dbgPlanoVooCellText(int, const platform::GridColumn &column) const
{
    const platform::ClientDataSet *set = dbgPlanoVoo->dataSet();
    return set ? planoVooText(column, *set).text : QString();
}

QString TfrmPosFecDiaPlaVoo::dbgServPlanoCellText(int, const platform::GridColumn &column) const
{
    const platform::ClientDataSet *set = dbgServPlano->dataSet();
    return set ? servPlanoText(column, *set).text : QString();
}

void TfrmPosFecDiaPlaVoo::dbgPlanoVooDrawColumnCell(QPainter &canvas, const QRect &rect, int,
                                                    const platform::GridColumn &column,
                                                    platform::GridDrawState state)
{
    const platform::ClientDataSet *set = dbgPlanoVoo->dataSet();
    if (!set)
        return;
    paintCell(canvas, *dbgPlanoVoo, rect, planoVooColor(textOf(*set, "IDSITABASPV")),
              planoVooText(column, *set), column.width(), state);
}

void TfrmPosFecDiaPlaVoo::dbgServPlanoDrawColumnCell(QPainter &canvas, const QRect &rect, int,
                                                     const platform::GridColumn &column,
                                                     platform::GridDrawState state)
{
    const platform::ClientDataSet *set = dbgServPlano->dataSet();
    if (!set)
        return;
    paintCell(canvas, *dbgServPlano, rect,
              servPlanoColor(textOf(*set, "IDSITSERSP"), textOf(*set, "NRLANCTONF")),
              servPlanoText(column, *set), column.width(), state);
}

} // namespace Cli_ate25400
