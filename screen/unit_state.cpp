// The unit's state shared by the package's three forms, its start and end
// work, and the creator of the closing position screen.

#include "screen/cli_ate25400.h"

#include "platform/abort.h"
#include "platform/screen.h"
#include "screen/frm_pos_fec_dia_pla_voo.h"

namespace Cli_ate25400 {

TfrmPosFecDiaPlaVoo *frmPosFecDiaPlaVoo = nullptr;
bool boIdCriado = false;
bool boPrimVez = false;
bool boScroll = false;
QString stLista;

void initialization()
{
    boIdCriado = false;
    boScroll = false;
    stLista.clear();
}

void finalization()
{
    stLista.clear();
}

namespace {

// Makes the form as the application object does: the instance variable is
// set before the form's create handler runs, and a failure of that handler
// is reported and leaves the form in place, where the user can still start
// a retrieval. A failure before it (the components, the MDI area) reaches
// the caller and leaves no form.
TfrmPosFecDiaPlaVoo *createScreen()
{
    auto *form = new TfrmPosFecDiaPlaVoo;
    try {
        form->attachToHost();
    } catch (...) {
        form->discardForm();
        throw;
    }
    // The area focuses the sub-window's focus child when it first activates
    // it, before the form's show hands the focus to its active control; with
    // none set it would take the first control in tab order, the branch
    // code, and the focus would then hop into and out of the filter panel.
    if (QWidget *control = form->activeControl())
        control->setFocus();
    frmPosFecDiaPlaVoo = form;
    platform::guarded([form] { form->FormCreate(form); });
    return form;
}

} // namespace

void CriaPosFechaDiaPlanoVoo()
{
    platform::BusyScreenCursor busy;
    // A screen destroyed without being closed (its window taken down with
    // the host's) counts as gone too: make a new one rather than reach it.
    if (!boIdCriado || !frmPosFecDiaPlaVoo) {
        createScreen();
        boIdCriado = true;
    }
    frmPosFecDiaPlaVoo->showForm();
    frmPosFecDiaPlaVoo->setFormWindowState(
        platform::screenSize() == QSize(640, 480) ? Qt::WindowMaximized : Qt::WindowNoState);
}

void IniProc()
{
    CriaPosFechaDiaPlanoVoo();
}

} // namespace Cli_ate25400
