// The automatic refresh: every period the position is read again and the
// flight the supervisor was looking at becomes current again.

#include "screen/frm_pos_fec_dia_pla_voo.h"

#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/field.h"

#include <QPointer>

namespace Cli_ate25400 {

void TfrmPosFecDiaPlaVoo::timAtualizacaoPvTimer(QObject *)
{
    // The flight grid shows neither the reload nor the move back: it repaints
    // once, on the kept flight, on every way out.
    platform::DisabledControls still(*cdsPlanoVoo);
    QVariantList key;
    const bool hasRow = cdsPlanoVoo->isActive() && !cdsPlanoVoo->isEmpty();
    for (const char *name : {"CDFILIAL", "CDCIA", "NRVOO", "CDTRECHO"}) {
        key.append(hasRow ? cdsPlanoVoo->fieldByName(QLatin1String(name)).asString() : QString());
    }
    sbtVerificarClick(mnuVerificar);
    // Moving there reads that flight's forecast and services; a flight that
    // is gone leaves the first row current.
    cdsPlanoVoo->locate(QStringLiteral("CDFILIAL;CDCIA;NRVOO;CDTRECHO"), key,
                        platform::LocateOption::CaseInsensitive);
}

void TfrmPosFecDiaPlaVoo::onRefreshTick()
{
    // A failed re-read shows its error in a modal box, whose event loop
    // keeps delivering ticks: one box for a server that is down, and the
    // first tick after the box is closed tries again.
    if (m_tickRunning)
        return;
    m_tickRunning = true;
    QPointer<TfrmPosFecDiaPlaVoo> self(this);
    platform::guarded([this] { timAtualizacaoPvTimer(timAtualizacaoPv); });
    // The host may have closed the screen from inside the box's loop.
    if (self)
        m_tickRunning = false;
}

} // namespace Cli_ate25400
