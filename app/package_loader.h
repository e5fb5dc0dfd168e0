#pragma once

#include "host/plugin/ate_package.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QLibrary;

namespace app {

// One package loaded into the process, with its entry points.
struct LoadedPackage
{
    QString fileName;   // full path of the library
    QString name;       // base name, e.g. PKG_ATE25400
    QString screenCode; // the name without "PKG_", e.g. ATE25400
    QString caption;    // the main screen's caption for the menu

    AteEntryProc initialize = nullptr;
    AteEntryProc finalize = nullptr;
    AteEntryProc iniProc = nullptr;
    AteGetPackageInfoTableProc packageInfoTable = nullptr;
    const AtePackageInfo *info = nullptr; // lives inside the library

    std::unique_ptr<QLibrary> library;

    LoadedPackage();
    ~LoadedPackage();
    LoadedPackage(const LoadedPackage &) = delete;
    LoadedPackage &operator=(const LoadedPackage &) = delete;

    // The package's own word on its main screen; true when it cannot tell.
    bool mainScreenReady() const;
};

// Loads run-time packages (PKG_*.so) through their exported entry points,
// never linking them: Initialize right after loading, Finalize right before
// unloading. Packages are unloaded in the reverse order of loading.
class PackageLoader
{
public:
    PackageLoader();
    ~PackageLoader();
    PackageLoader(const PackageLoader &) = delete;
    PackageLoader &operator=(const PackageLoader &) = delete;

    // Loads every package of the folder, in name order. A package that
    // cannot be loaded is skipped; the returned list says why, one message
    // per package. Throws platform::Error when the folder does not exist.
    QStringList loadFolder(const QString &folder);

    // Loads one package and runs its Initialize. Throws platform::Error
    // when the file is no loadable package; nothing stays loaded then.
    LoadedPackage &load(const QString &fileName);

    // Finalize, then unload, last loaded first.
    void unloadAll();

    const std::vector<std::unique_ptr<LoadedPackage>> &packages() const { return m_packages; }

    // The package whose main screen has this code (case ignored), or null.
    LoadedPackage *findScreen(const QString &screenCode) const;

private:
    LoadedPackage &loadPackage(const QString &fileName);

    std::vector<std::unique_ptr<LoadedPackage>> m_packages;
};

} // namespace app
