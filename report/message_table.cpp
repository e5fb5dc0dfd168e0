#include "message_table.h"

#include "report_text.h"

namespace Cli_ate25402 {
namespace {

struct Line
{
    const char *key;
    const char *text;
};

// Only the texts are translated: the keys are what the code asks for.
constexpr Line Lines[] = {
    {"DtPV_Vaz", QT_TRANSLATE_NOOP("TfrmRelPosFecDiaPV", "Data do Plano de Vôo deve ser informada.")},
    {"Cia_Vaz", QT_TRANSLATE_NOOP("TfrmRelPosFecDiaPV", "Companhia deve ser informada.")},
    {"Sit_Vaz", QT_TRANSLATE_NOOP("TfrmRelPosFecDiaPV", "Situação deve ser informada.")},
    {"CIA_NC", QT_TRANSLATE_NOOP("TfrmRelPosFecDiaPV",
                                 "Não há companhia cadastrada com plano de vôo gerado para a "
                                 "data informada.")},
    {"Companhia", QT_TRANSLATE_NOOP("TfrmRelPosFecDiaPV", "Companhia")},
};

} // namespace

QStringList messageTableLines()
{
    QStringList lines;
    for (const Line &line : Lines) {
        lines.append(QString::fromLatin1(line.key) + QLatin1Char('|')
                     + QCoreApplication::translate("TfrmRelPosFecDiaPV", line.text));
    }
    return lines;
}

} // namespace Cli_ate25402
