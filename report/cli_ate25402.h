#pragma once

// The unit's interface as the package exports it: default visibility, so
// that a package built with hidden visibility still exports these names.
#define CLI_ATE25402_EXPORT __attribute__((visibility("default")))

namespace Cli_ate25402 {

class TfrmRelPosFecDiaPV;

// The report parameter form while it exists; its destructor sets it back to
// null.
CLI_ATE25402_EXPORT extern TfrmRelPosFecDiaPV *frmRelPosFecDiaPV;
// The form exists and has not been closed since: the form's close clears
// it, so that every opening makes the form anew.
CLI_ATE25402_EXPORT extern bool boIdCriado;

// Makes the form and shows it modally; returns when it closes. Needs the
// closing position screen (Cli_ate25400::frmPosFecDiaPlaVoo). May throw: the
// package's entry point and the screen's print command run it inside
// platform::guarded.
CLI_ATE25402_EXPORT void CriaRelPosFecDiaPV();

// The unit's start and end work; the package's unit table decides when
// they run.
CLI_ATE25402_EXPORT void initialization();
CLI_ATE25402_EXPORT void finalization();

} // namespace Cli_ate25402
