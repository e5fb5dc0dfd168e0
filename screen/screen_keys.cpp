// The screen's keys, seen before the focused control: F12 to the date, and
// Alt with Page Up or Page Down to move between the three grids.

#include "screen/frm_pos_fec_dia_pla_voo.h"

namespace Cli_ate25400 {

void TfrmPosFecDiaPlaVoo::FormKeyDown(QObject *sender, int &key, Qt::KeyboardModifiers shift)
{
    host::TfrmPadraoSimples::FormKeyDown(sender, key, shift);
    // Entering the date suspends the screen, as any entry into the panel.
    if (key == Qt::Key_F12)
        depVoo->setFocus(Qt::ShortcutFocusReason);
    if (!(shift & Qt::AltModifier) || (key != Qt::Key_PageDown && key != Qt::Key_PageUp))
        return;
    auto *grid = qobject_cast<platform::DBGrid *>(activeControl());
    if (!grid)
        return;
    // Forward with Page Down, backward with Page Up. Only Page Down from the
    // flight plans is consumed; otherwise the grid left behind also moves a
    // page, as it always did.
    const bool forward = key == Qt::Key_PageDown;
    if (grid == dbgPlanoVoo) {
        (forward ? dbgPrevisaoPax : dbgServPlano)->setFocus(Qt::ShortcutFocusReason);
        if (forward)
            key = 0;
    } else if (grid == dbgPrevisaoPax) {
        (forward ? dbgServPlano : dbgPlanoVoo)->setFocus(Qt::ShortcutFocusReason);
    } else if (grid == dbgServPlano) {
        (forward ? dbgPlanoVoo : dbgPrevisaoPax)->setFocus(Qt::ShortcutFocusReason);
    }
}

} // namespace Cli_ate25400
