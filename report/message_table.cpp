#include "report/message_table.h"

#include "host/messages.h"

#include "report/report_text.h"

namespace Cli_ate25402 {
QStringList messageTableLines()
{
    return host::translatedMessageLines(
        "TfrmRelPosFecDiaPV",
        {
            {"DtPV_Vaz",
             QT_TRANSLATE_NOOP("TfrmRelPosFecDiaPV", "Data do Plano de Vôo deve ser informada.")},
            {"Cia_Vaz", QT_TRANSLATE_NOOP("TfrmRelPosFecDiaPV", "Companhia deve ser informada.")},
            {"Sit_Vaz", QT_TRANSLATE_NOOP("TfrmRelPosFecDiaPV", "Situação deve ser informada.")},
            {"CIA_NC",
             QT_TRANSLATE_NOOP("TfrmRelPosFecDiaPV",
                               "Não há companhia cadastrada com plano de vôo gerado para a "
                               "data informada.")},
            {"Companhia", QT_TRANSLATE_NOOP("TfrmRelPosFecDiaPV", "Companhia")},
        });
}

} // namespace Cli_ate25402
