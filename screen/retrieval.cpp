// The position retrieval: the three server calls that bring the flight
// plans, the forecast of the current flight and its services up to date.
// Creation, the filter panel, the verify command, the refresh timer and the
// airline filter dialog all run this one chain; they differ only in the
// airline selection they pass and in what surrounds the call.

#include "screen/frm_pos_fec_dia_pla_voo.h"

#include "host/functions.h"
#include "host/mask_edit.h"
#include "platform/data_packet.h"

namespace Cli_ate25400 {

TfrmPosFecDiaPlaVoo::AirlineSelection TfrmPosFecDiaPlaVoo::allAirlines()
{
    return {QString(), QStringLiteral("T")};
}

void TfrmPosFecDiaPlaVoo::readPosition(const AirlineSelection &airlines, bool withDetails)
{
    m_dayArguments = {airlines.list, airlines.flag, depVoo->GetDate(), medCdFilial->text()};
    loadFromServer(*cdsPlanoVoo, QStringLiteral("GetPlanoVoo"), m_dayArguments);
    if (!withDetails)
        return;
    loadPrevPax();
    loadServPlano();
    // The first move after a load should not wait on the link either.
    prefetchAround();
}

void TfrmPosFecDiaPlaVoo::sbtVerificarClick(QObject *sender)
{
    host::TfrmPadraoSimples::sbtVerificarClick(sender);
    if (host::EmptyString(depVoo->text()))
        return;
    if (depVoo->GetDate() == platform::zeroDateTime())
        return;
    // The dialog's remembered list once the dialog exists; before it was
    // ever opened, all airlines.
    const auto &remembered = openedForms().rememberedAirlines;
    if (const QString *list = remembered ? remembered() : nullptr) {
        stListaCia = *list;
        if (!host::EmptyString(stListaCia)) {
            readPosition({&stListaCia, QString()}, true);
            return;
        }
    }
    readPosition(allAirlines(), true);
}

} // namespace Cli_ate25400
