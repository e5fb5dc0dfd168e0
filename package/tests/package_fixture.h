#pragma once

#include "host/plugin/ate_package.h"
#include "testing/net/scripted_server.h"

#include <QLibrary>
#include <QMainWindow>
#include <QString>

class QMdiArea;

namespace package::testing {

// The plug-in as the build made it.
QString packageFile();

// The plug-in loaded as the host loads it: by file, never linked.
class LoadedPlugin
{
public:
    LoadedPlugin();
    ~LoadedPlugin();

    bool load();
    void unload();
    QString errorString() const { return m_library.errorString(); }

    AteEntryProc entry(const char *name);
    const AtePackageInfo *info();
    // A unit-level variable by its exported (mangled) name; null when the
    // package does not export it.
    template<typename T> T *variable(const char *symbol)
    {
        return reinterpret_cast<T *>(m_library.resolve(symbol));
    }

    void initialize() { entry("Initialize")(); }
    void finalize() { entry("Finalize")(); }
    void iniProc() { entry("IniProc")(); }

    // The screen unit's state.
    bool &boIdCriado();
    bool &boPrimVez();
    bool &boScroll();
    QString &stLista();
    void *frmPosFecDiaPlaVoo(); // the form's address, null when none

private:
    QLibrary m_library;
};

// The host around the package: a main window with an MDI area registered
// as the application object, the host context pointing at a scripted
// server that answers GetPlanoVoo with an empty day.
class HostAround
{
public:
    HostAround();
    ~HostAround();

    QMainWindow &window() { return m_window; }
    QMdiArea *mdiArea() const { return m_mdiArea; }
    host::testing::ScriptedServer &server() { return m_server; }

private:
    QMainWindow m_window;
    QMdiArea *m_mdiArea;
    host::testing::ScriptedServer m_server;
};

} // namespace package::testing
