// The airline filter command: the toolbar button and the menu item (Ctrl+L)
// open the airline filter dialog for the date on display.

#include "screen/frm_pos_fec_dia_pla_voo.h"

namespace Cli_ate25400 {

// The dialog switches the timer on again when it closes, confirmed or not;
// a refused date leaves the refresh stopped until the panel is next left
// with valid input.
void TfrmPosFecDiaPlaVoo::sbtFiltrarClick(QObject *)
{
    timAtualizacaoPv->stop();
    Vd_DataVoo(true);
    if (openedForms().filterDialog)
        openedForms().filterDialog();
}

} // namespace Cli_ate25400
