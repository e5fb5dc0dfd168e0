// The print command: the report parameter form over the screen's date.

#include "screen/frm_pos_fec_dia_pla_voo.h"

namespace Cli_ate25400 {

// The refresh timer is left as it is: the screen goes on refreshing while
// the report form is open. An invalid date is reported by the date edit
// (its failure ends the command), and the focus stays where it is.
void TfrmPosFecDiaPlaVoo::sbtImprimirClick(QObject *)
{
    depVoo->CheckValidDate();
    if (openedForms().reportForm)
        openedForms().reportForm();
}

} // namespace Cli_ate25400
