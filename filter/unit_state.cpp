// The unit's state and the creator of the airline filter dialog.

#include "filter/cli_ate25401.h"

#include "filter/frm_filtro_cia.h"
#include "host/forms/create_form.h"
#include "platform/abort.h"
#include "platform/screen.h"
#include "screen/closing_position.h"

#include <QCoreApplication>

namespace Cli_ate25401 {

TfrmFiltroCia *frmFiltroCia = nullptr;

void initialization() { }

void finalization() { }

// The dialog reads the screen's branch, date and connection and reloads its
// record sets: without the screen there is nothing to filter.
Cli_ate25400::ClosingPosition &openScreen()
{
    Cli_ate25400::ClosingPosition *screen = Cli_ate25400::closingPosition();
    if (!screen) {
        throw platform::Error(QCoreApplication::translate(
            "TfrmFiltroCia",
            "A tela de posição do fechamento diário do plano de vôo não está aberta."));
    }
    return *screen;
}

const QString *rememberedAirlines()
{
    return frmFiltroCia ? &frmFiltroCia->ListaFiltro.stCias : nullptr;
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
