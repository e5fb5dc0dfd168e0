#include "package/tests/package_fixture.h"

#include "host/application.h"
#include "host/host_context.h"

#include <QMdiArea>

using host::testing::Answer;
using host::testing::TestPacket;

namespace package::testing {

QString packageFile()
{
    return QStringLiteral(ATE_PACKAGE_FILE);
}

LoadedPlugin::LoadedPlugin()
    : m_library(packageFile())
{
}

LoadedPlugin::~LoadedPlugin()
{
    unload();
}

bool LoadedPlugin::load()
{
    return m_library.load();
}

void LoadedPlugin::unload()
{
    if (m_library.isLoaded())
        m_library.unload();
}

AteEntryProc LoadedPlugin::entry(const char *name)
{
    return reinterpret_cast<AteEntryProc>(m_library.resolve(name));
}

const AtePackageInfo *LoadedPlugin::info()
{
    auto table =
        reinterpret_cast<AteGetPackageInfoTableProc>(m_library.resolve("GetPackageInfoTable"));
    return table ? table() : nullptr;
}

bool &LoadedPlugin::boIdCriado()
{
    return *variable<bool>("_ZN12Cli_ate2540010boIdCriadoE");
}

bool &LoadedPlugin::boPrimVez()
{
    return *variable<bool>("_ZN12Cli_ate254009boPrimVezE");
}

bool &LoadedPlugin::boScroll()
{
    return *variable<bool>("_ZN12Cli_ate254008boScrollE");
}

QString &LoadedPlugin::stLista()
{
    return *variable<QString>("_ZN12Cli_ate254007stListaE");
}

void *LoadedPlugin::frmPosFecDiaPlaVoo()
{
    return *variable<void *>("_ZN12Cli_ate2540018frmPosFecDiaPlaVooE");
}

HostAround::HostAround()
{
    m_mdiArea = new QMdiArea(&m_window);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_window.setCentralWidget(m_mdiArea);
    m_window.resize(1000, 700);
    host::setMainWindow(&m_window);

    TestPacket day;
    day.text("CDCIA", 4)
        .text("SGCIA", 5)
        .text("CDTRECHO", 4)
        .text("NRVOO", 5)
        .text("IDSITABASPV", 1)
        .text("IDBREAKGERA", 1)
        .text("CDBASEORI", 4)
        .text("CDBASEDES", 4)
        .text("HRDECOLVOO", 4)
        .text("SGBASEO", 5)
        .text("SGBASED", 5)
        .dateTime("DTHRPLAVOOPV")
        .text("CDFILIAL", 4);
    m_server.setDefault(QStringLiteral("GetPlanoVoo"), Answer::packet(day));
    m_server.start();
    host::context().setServerHost(m_server.host());
    host::context().setServerPort(m_server.port());
    host::context().setBranchCode(QStringLiteral("GRU"));
}

HostAround::~HostAround()
{
    host::setMainWindow(nullptr);
}

} // namespace package::testing
