#include "screen/message_table.h"

#include "host/messages.h"

#include "screen/screen_text.h"

namespace Cli_ate25400 {
QStringList messageTableLines()
{
    return host::translatedMessageLines(
        "TfrmPosFecDiaPlaVoo",
        {
            {"Companhia", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Companhia")},
            {"SIT1", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Pe")},
            {"SIT2", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "At")},
            {"SIT3", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Ca")},
            {"SIT4", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Cc")},
            {"NAO_HA_COMP", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo",
                                              "Não há companhia cadastrada com plano de vôo gerado "
                                              "para a data informada.")},
            {"DT_VOO",
             QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Data do plano de vôo deve ser informada.")},
            {"DT_VOO_INV",
             QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Data do plano de vôo inválida.")},
            {"N_GER", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Não gerado")},
            {"GER", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Gerado")},
            {"Dt_Deve",
             QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Data do plano de vôo deve ser informada.")},
            {"Atu_Deve",
             QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Atualizar (seg.) deve ser informado.")},
            {"DTVOO_ncad",
             QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo",
                               "Não há plano de vôo cadastrado para a data informada.")},
            {"SIT5", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Ft")},
            {"FILI_DEVE", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Filial deve ser informada.")},
            {"FILI_NAO_CAD", QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Filial não cadastrada.")},
            {"FILI_RESC",
             QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Filial com contrato rescindido.")},
        });
}

} // namespace Cli_ate25400
