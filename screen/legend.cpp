// What the short situation texts and their colours mean, shown as the
// tooltip of the situation and breakdown columns' titles.

#include "screen/frm_pos_fec_dia_pla_voo.h"

#include "screen/screen_text.h"
#include "screen/status_colors.h"

namespace Cli_ate25400 {
namespace {

struct Entry
{
    const char *key; // the message table's short text
    const char *meaning;
    QColor color;
};

QString legend(const QString &title, std::initializer_list<Entry> entries,
               const TfrmPosFecDiaPlaVoo &form)
{
    QString html = QStringLiteral("<b>%1</b><table>").arg(title.toHtmlEscaped());
    for (const Entry &entry : entries) {
        html += QStringLiteral("<tr><td><span style=\"color:%1\">&#9632;</span> "
                               "<span style=\"color:%1\"><b>%2</b></span></td><td>%3</td></tr>")
                    .arg(entry.color.name(),
                         form.msgPadrao->Msg(QLatin1String(entry.key)).toHtmlEscaped(),
                         ScreenText::tr(entry.meaning).toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}

void setHint(platform::DBGrid *grid, const char *fieldName, const QString &hint)
{
    for (int i = 0; i < grid->columnCount(); ++i) {
        if (grid->column(i).fieldName() == QLatin1String(fieldName))
            grid->column(i).setHint(hint);
    }
}

} // namespace

void TfrmPosFecDiaPlaVoo::setColumnLegends()
{
    using namespace StatusColor;
    setHint(
        dbgPlanoVoo, "IDSITABASPV",
        legend(ScreenText::tr("Situação do plano de vôo"),
               {{"SIT1", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Pendente"), Blue},
                {"SIT2", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Atendido"), Green},
                {"SIT3", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Cancelado"), Red},
                {"SIT4", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Cancelado com cobrança"), Aqua},
                {"SIT5", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Faturado"), Maroon}},
               *this));
    setHint(dbgServPlano, "IDSITSERSP",
            legend(ScreenText::tr("Situação do serviço"),
                   {{"SIT1", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Pendente"), Blue},
                    {"SIT2", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Atendido"), Green},
                    {"SIT3", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Cancelado"), Red},
                    {"SIT4", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Cancelado com cobrança"),
                     Maroon}},
                   *this));
    setHint(dbgPlanoVoo, "IDBREAKGERA",
            QStringLiteral("<b>%1</b>: %2<br><b>%3</b>: %4")
                .arg(msg("GER").toHtmlEscaped(),
                     ScreenText::tr("o breakdown do vôo já foi gerado.").toHtmlEscaped(),
                     msg("N_GER").toHtmlEscaped(),
                     ScreenText::tr("o breakdown do vôo ainda não foi gerado.").toHtmlEscaped()));
}

} // namespace Cli_ate25400
