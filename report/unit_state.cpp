// The unit's state, its start and end work, and the creator of the report
// parameter form.

#include "report/cli_ate25402.h"

#include "host/forms/create_form.h"
#include "platform/screen.h"
#include "report/frm_rel_pos_fec_dia_pv.h"

#include <QPointer>

namespace Cli_ate25402 {

TfrmRelPosFecDiaPV *frmRelPosFecDiaPV = nullptr;
bool boIdCriado = false;

void initialization()
{
    boIdCriado = false;
}

void finalization() { }

void CriaRelPosFecDiaPV()
{
    platform::BusyScreenCursor busy;
    if (!boIdCriado || !frmRelPosFecDiaPV) {
        frmRelPosFecDiaPV = host::createForm<TfrmRelPosFecDiaPV>();
        boIdCriado = true;
    }
    // The form's close frees it once control is back in the event loop.
    QPointer<TfrmRelPosFecDiaPV> form = frmRelPosFecDiaPV;
    {
        // The user works in the form with the normal cursor, not under the
        // hourglass the creation showed.
        platform::ScreenCursorPause pause;
        form->exec();
    }
    if (form)
        form->setWindowState(Qt::WindowNoState);
}

} // namespace Cli_ate25402
