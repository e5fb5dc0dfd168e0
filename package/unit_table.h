#pragma once

#include "host/plugin/ate_package.h"

#include <span>

namespace Pkg_ate25400 {

// The package's units in start order: its own unit first, the screen's unit
// Cli_ate25400 last (it ends first). The units of the filter dialog and of
// the report form go before Cli_ate25400 when their forms are built.
std::span<const AtePackageUnit> unitTable();

// Runs every unit's start work in table order, then (Finalize) their end
// work in reverse; each under platform::guarded, so one failing unit does
// not keep the others from running.
void initializeUnits();
void finalizeUnits();

} // namespace Pkg_ate25400
