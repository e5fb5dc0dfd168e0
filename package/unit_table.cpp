#include "package/unit_table.h"

#include "package/language_module.h"
#include "package/unit_life.h"

#include "filter/cli_ate25401.h"
#include "filter/frm_filtro_cia.h"
#include "platform/abort.h"
#include "report/cli_ate25402.h"
#include "report/frm_rel_pos_fec_dia_pv.h"
#include "screen/cli_ate25400.h"
#include "screen/closing_position.h"
#include "screen/frm_pos_fec_dia_pla_voo.h"

#include <QMdiSubWindow>

#include <array>

namespace Pkg_ate25400 {
namespace {

UnitLife g_packageUnit;
UnitLife g_filterUnit;
UnitLife g_reportUnit;
UnitLife g_screenUnit;

// The package's forms live in the host's main window, but their code lives
// here: they must be gone before the library is, or the host would run
// their destructors (and any timer of theirs) in unmapped code.
void releaseForms()
{
    // The report form first: it reads the screen.
    delete Cli_ate25402::frmRelPosFecDiaPV;
    Cli_ate25402::frmRelPosFecDiaPV = nullptr;
    Cli_ate25402::boIdCriado = false;
    // The dialog is only ever hidden while the host runs; it goes here.
    delete Cli_ate25401::frmFiltroCia;
    Cli_ate25401::frmFiltroCia = nullptr;
    if (Cli_ate25400::TfrmPosFecDiaPlaVoo *form = Cli_ate25400::frmPosFecDiaPlaVoo) {
        if (QMdiSubWindow *window = form->subWindow())
            delete window;
        else
            delete form;
    }
    Cli_ate25400::frmPosFecDiaPlaVoo = nullptr;
    Cli_ate25400::boIdCriado = false;
}

// A unit's entries in the table: its work runs only on the first start and
// on the end that balances it, never letting an exception out to the host.
template<UnitLife &life, void (*work)()> void unitInitialization()
{
    platform::guarded([] {
        if (life.start())
            work();
    });
}

template<UnitLife &life, void (*work)()> void unitFinalization()
{
    platform::guarded([] {
        if (life.end())
            work();
    });
}

// The screen opens the filter dialog and the report form, and reads the
// dialog's remembered airline list, through what the package gives it.
Cli_ate25400::OpenedForms screensForms()
{
    Cli_ate25400::OpenedForms forms;
    forms.filterDialog = Cli_ate25401::criaFiltroCia;
    forms.reportForm = Cli_ate25402::CriaRelPosFecDiaPV;
    forms.rememberedAirlines = Cli_ate25401::rememberedAirlines;
    return forms;
}

// The package's own unit: its language and its forms' links before any
// form can exist; at the end its forms, then its language.
void packageStart()
{
    LanguageModule::install();
    Cli_ate25400::setOpenedForms(screensForms());
}

void packageEnd()
{
    releaseForms();
    Cli_ate25400::setOpenedForms({});
    LanguageModule::remove();
}

const std::array<AtePackageUnit, 4> kUnits = {{
    {"Pkg_ate25400", unitInitialization<g_packageUnit, packageStart>,
     unitFinalization<g_packageUnit, packageEnd>},
    {"Cli_ate25401", unitInitialization<g_filterUnit, Cli_ate25401::initialization>,
     unitFinalization<g_filterUnit, Cli_ate25401::finalization>},
    {"Cli_ate25402", unitInitialization<g_reportUnit, Cli_ate25402::initialization>,
     unitFinalization<g_reportUnit, Cli_ate25402::finalization>},
    {"Cli_ate25400", unitInitialization<g_screenUnit, Cli_ate25400::initialization>,
     unitFinalization<g_screenUnit, Cli_ate25400::finalization>},
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
