// The unit's state and the creator of the airline filter dialog.

#include "cli_ate25401.h"

#include "abort.h"
#include "create_form.h"
#include "frm_filtro_cia.h"
#include "frm_pos_fec_dia_pla_voo.h"
#include "screen.h"

#include <QCoreApplication>

namespace Cli_ate25401 {

TfrmFiltroCia *frmFiltroCia = nullptr;

void initialization()
{
}

void finalization()
{
}

// The dialog reads the screen's branch, date and connection and reloads its
// record sets: without the screen there is nothing to filter.
Cli_ate25400::TfrmPosFecDiaPlaVoo &openScreen()
{
    if (!Cli_ate25400::frmPosFecDiaPlaVoo) {
        throw platform::Error(QCoreApplication::translate(
            "TfrmFiltroCia",
            "A tela de posição do fechamento diário do plano de vôo não está aberta."));
    }
    return *Cli_ate25400::frmPosFecDiaPlaVoo;
}

void criaFiltroCia()
{
    platform::BusyScreenCursor busy;
    openScreen();
    if (!frmFiltroCia)
        frmFiltroCia = host::createForm<TfrmFiltroCia>();
    {
        // The hourglass is for the making; the dialog is the user's.
        platform::ScreenCursorPause pause;
        frmFiltroCia->exec();
    }
    if (frmFiltroCia)
        frmFiltroCia->setWindowState(Qt::WindowNoState);
}

} // namespace Cli_ate25401
