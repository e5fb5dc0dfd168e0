#include "package/package_info.h"

#include "package/unit_table.h"

#include "screen/cli_ate25400.h"

#include <QByteArray>
#include <QCoreApplication>

namespace Pkg_ate25400 {
namespace {

// The platform's run-time, user-interface, database and print libraries,
// then the host framework's five.
const char *const kRequiredLibraries[] = {
    "Qt6Core",  "Qt6Widgets",      "Qt6Sql",         "Qt6PrintSupport", "ate_platform",
    "ate_host", "ate_host_report", "ate_host_forms", "ate_host_net",
};

const char *const kMainScreenCaption =
    QT_TRANSLATE_NOOP("TfrmPosFecDiaPlaVoo", "Posição do Fechamento Diário do Plano de Vôo");

extern "C" int mainScreenReady()
{
    // Creation reads the plans and sets boPrimVez; the first activation
    // loads all three record sets and clears it.
    return Cli_ate25400::frmPosFecDiaPlaVoo && Cli_ate25400::boIdCriado && !Cli_ate25400::boPrimVez;
}

} // namespace

const AtePackageInfo *packageInfo()
{
    // The caption in the package's language, read when asked: the
    // translation is in place once the library is loaded.
    static QByteArray caption;
    caption = QCoreApplication::translate("TfrmPosFecDiaPlaVoo", kMainScreenCaption).toUtf8();

    static AtePackageInfo info;
    const std::span<const AtePackageUnit> units = unitTable();
    info.abiVersion = ATE_PACKAGE_ABI_VERSION;
    info.name = "PKG_ATE25400";
    info.runtimeOnly = 1;
    info.requiredCount = static_cast<int>(std::size(kRequiredLibraries));
    info.requiredLibraries = kRequiredLibraries;
    info.unitCount = static_cast<int>(units.size());
    info.units = units.data();
    info.mainScreenCode = "ATE25400";
    info.mainScreenCaption = caption.constData();
    info.mainScreenReady = mainScreenReady;
    return &info;
}

} // namespace Pkg_ate25400
