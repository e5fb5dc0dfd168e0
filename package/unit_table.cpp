#include "unit_table.h"

#include "language_module.h"
#include "unit_life.h"

#include "abort.h"
#include "cli_ate25400.h"
#include "frm_pos_fec_dia_pla_voo.h"

#include <QMdiSubWindow>

#include <array>

namespace Pkg_ate25400 {
namespace {

UnitLife g_packageUnit;
UnitLife g_screenUnit;

// The package's forms live in the host's main window, but their code lives
// here: they must be gone before the library is, or the host would run
// their destructors (and any timer of theirs) in unmapped code.
void releaseForms()
{
    if (Cli_ate25400::TfrmPosFecDiaPlaVoo *form = Cli_ate25400::frmPosFecDiaPlaVoo) {
        if (QMdiSubWindow *window = form->subWindow())
            delete window;
        else
            delete form;
    }
    Cli_ate25400::frmPosFecDiaPlaVoo = nullptr;
    Cli_ate25400::boIdCriado = false;
}

// The package's own unit: its language first, before any form can exist;
// at the end its forms, then its language.
extern "C" void packageUnitInitialization()
{
    platform::guarded([] {
        if (g_packageUnit.start())
            LanguageModule::install();
    });
}

extern "C" void packageUnitFinalization()
{
    platform::guarded([] {
        if (!g_packageUnit.end())
            return;
        releaseForms();
        LanguageModule::remove();
    });
}

extern "C" void screenUnitInitialization()
{
    platform::guarded([] {
        if (g_screenUnit.start())
            Cli_ate25400::initialization();
    });
}

extern "C" void screenUnitFinalization()
{
    platform::guarded([] {
        if (g_screenUnit.end())
            Cli_ate25400::finalization();
    });
}

const std::array<AtePackageUnit, 2> kUnits = {{
    {"Pkg_ate25400", packageUnitInitialization, packageUnitFinalization},
    {"Cli_ate25400", screenUnitInitialization, screenUnitFinalization},
}};

} // namespace

std::span<const AtePackageUnit> unitTable()
{
    return kUnits;
}

void initializeUnits()
{
    for (const AtePackageUnit &unit : kUnits) {
        if (unit.initialization)
            unit.initialization();
    }
}

void finalizeUnits()
{
    for (auto unit = kUnits.rbegin(); unit != kUnits.rend(); ++unit) {
        if (unit->finalization)
            unit->finalization();
    }
}

} // namespace Pkg_ate25400
