// The screen as the filter dialog and the report form see it.

#include "screen/closing_position.h"

#include "screen/frm_pos_fec_dia_pla_voo.h"

#include "host/mask_edit.h"
#include "host/net/net_connection.h"

namespace Cli_ate25400 {
namespace {

OpenedForms g_openedForms;

} // namespace

ClosingPosition *closingPosition()
{
    return frmPosFecDiaPlaVoo;
}

void setOpenedForms(OpenedForms forms)
{
    g_openedForms = std::move(forms);
}

const OpenedForms &openedForms()
{
    return g_openedForms;
}

QString TfrmPosFecDiaPlaVoo::branch() const
{
    return medCdFilial->text();
}

QDateTime TfrmPosFecDiaPlaVoo::flightDate() const
{
    return depVoo->GetDate();
}

host::TNetConnection &TfrmPosFecDiaPlaVoo::connection() const
{
    return *netPosFDiPlav;
}

QTimer &TfrmPosFecDiaPlaVoo::refreshTimer() const
{
    return *timAtualizacaoPv;
}

} // namespace Cli_ate25400
