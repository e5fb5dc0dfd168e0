// The package's exported entry points: plain C names, each a thin shell that
// keeps every exception on this side of the host.

#include "package/package_info.h"
#include "package/unit_table.h"

#include "filter/cli_ate25401.h"
#include "platform/abort.h"
#include "report/cli_ate25402.h"
#include "screen/cli_ate25400.h"

#define ATE_EXPORT extern "C" __attribute__((visibility("default")))

ATE_EXPORT void IniProc()
{
    platform::guarded([] { Cli_ate25400::IniProc(); });
}

ATE_EXPORT void CriaPosFechaDiaPlanoVoo()
{
    platform::guarded([] { Cli_ate25400::CriaPosFechaDiaPlanoVoo(); });
}

ATE_EXPORT void criaFiltroCia()
{
    platform::guarded([] { Cli_ate25401::criaFiltroCia(); });
}

ATE_EXPORT void CriaRelPosFecDiaPV()
{
    platform::guarded([] { Cli_ate25402::CriaRelPosFecDiaPV(); });
}

ATE_EXPORT void Initialize()
{
    platform::guarded([] { Pkg_ate25400::initializeUnits(); });
}

ATE_EXPORT void Finalize()
{
    platform::guarded([] { Pkg_ate25400::finalizeUnits(); });
}

ATE_EXPORT const AtePackageInfo *GetPackageInfoTable()
{
    const AtePackageInfo *info = nullptr;
    platform::guarded([&info] { info = Pkg_ate25400::packageInfo(); });
    return info;
}
