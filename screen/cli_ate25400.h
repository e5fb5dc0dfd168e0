#pragma once

#include <QString>

// The unit's interface as the package exports it: default visibility, so
// that a package built with hidden visibility still exports these names.
#define CLI_ATE25400_EXPORT __attribute__((visibility("default")))

namespace Cli_ate25400 {

class TfrmPosFecDiaPlaVoo;

// The one closing position screen; the form's destructor sets it back to
// null, so the other forms see that the screen is gone instead of reaching
// a freed object.
CLI_ATE25400_EXPORT extern TfrmPosFecDiaPlaVoo *frmPosFecDiaPlaVoo;
// The screen exists and has not been closed since.
CLI_ATE25400_EXPORT extern bool boIdCriado;
// The first full retrieval is still due (FormActivate runs it).
CLI_ATE25400_EXPORT extern bool boPrimVez;
// The after-scroll handlers may read the dependent record sets.
CLI_ATE25400_EXPORT extern bool boScroll;
// The airline list being edited in the filter dialog.
CLI_ATE25400_EXPORT extern QString stLista;

// Makes the screen once and shows it. May throw (platform::Abort,
// platform::Error, std::exception): the package's entry points run it
// inside platform::guarded.
CLI_ATE25400_EXPORT void CriaPosFechaDiaPlanoVoo();
CLI_ATE25400_EXPORT void IniProc();

// The unit's start and end work; the package's unit table decides when
// they run.
CLI_ATE25400_EXPORT void initialization();
CLI_ATE25400_EXPORT void finalization();

} // namespace Cli_ate25400
