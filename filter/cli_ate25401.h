#pragma once

#include <QString>

// The unit's interface as the package exports it: default visibility, so
// that a package built with hidden visibility still exports these names.
#define CLI_ATE25401_EXPORT __attribute__((visibility("default")))

namespace Cli_ate25401 {

class TfrmFiltroCia;

// The airline list the dialog remembers between showings.
struct CLI_ATE25401_EXPORT TLista
{
    // The picker's list of airline codes; empty: all airlines.
    QString stCias;
};

// The one airline filter dialog, made at its first use and kept (hidden
// between showings) until the package ends; null before that, and again
// once it is gone.
CLI_ATE25401_EXPORT extern TfrmFiltroCia *frmFiltroCia;

// The airline list the dialog remembers, as the screen reads it when it
// reloads; null while there is no dialog.
CLI_ATE25401_EXPORT const QString *rememberedAirlines();

// Makes the dialog on its first call and shows it modally. Needs the closing
// position screen, whose branch, date, connection and record sets the
// dialog works on: without it, throws platform::Error with a message for
// the user and shows nothing. May throw as the dialog's creation does; the
// package's entry point runs it inside platform::guarded.
CLI_ATE25401_EXPORT void criaFiltroCia();

// The unit's start and end work (none that another unit reads).
CLI_ATE25401_EXPORT void initialization();
CLI_ATE25401_EXPORT void finalization();

} // namespace Cli_ate25401
