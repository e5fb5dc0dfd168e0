#include "app/package_loader.h"

#include "platform/abort.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLibrary>
#include <QLoggingCategory>

namespace app {
namespace {

// "ate.package": which packages were loaded from where, and why one was not.
Q_LOGGING_CATEGORY(lcPackage, "ate.package", QtInfoMsg)

constexpr QLatin1String kPackagePrefix("PKG_");

template<typename Proc>
Proc resolve(QLibrary &library, const char *symbol, const QString &packageName)
{
    auto proc = reinterpret_cast<Proc>(library.resolve(symbol));
    if (!proc)
        throw platform::Error(
            QCoreApplication::translate("PackageLoader", "O pacote %1 não exporta %2.")
                .arg(packageName, QString::fromLatin1(symbol)));
    return proc;
}

} // namespace

LoadedPackage::LoadedPackage() = default;
LoadedPackage::~LoadedPackage() = default;

bool LoadedPackage::mainScreenReady() const
{
    if (!info || !info->mainScreenReady)
        return true;
    return info->mainScreenReady() != 0;
}

PackageLoader::PackageLoader() = default;

PackageLoader::~PackageLoader()
{
    unloadAll();
}

QStringList PackageLoader::loadFolder(const QString &folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        throw platform::Error(
            QCoreApplication::translate("PackageLoader", "Pasta de pacotes não encontrada: %1")
                .arg(folder));
    QStringList failures;
    const QStringList files =
        dir.entryList({kPackagePrefix + QStringLiteral("*.so")}, QDir::Files, QDir::Name);
    qCInfo(lcPackage).noquote() << "loading" << files.size() << "package(s) from"
                                << dir.absolutePath();
    for (const QString &file : files) {
        try {
            load(dir.absoluteFilePath(file));
        } catch (const platform::Error &error) {
            failures.append(error.message());
        }
    }
    return failures;
}

LoadedPackage &PackageLoader::load(const QString &fileName)
{
    QElapsedTimer clock;
    clock.start();
    try {
        LoadedPackage &package = loadPackage(fileName);
        qCInfo(lcPackage).noquote()
            << "loaded" << package.name << "from" << package.fileName << "in" << clock.elapsed()
            << "ms, screen" << package.screenCode;
        return package;
    } catch (const platform::Error &error) {
        qCInfo(lcPackage).noquote() << "not loaded:" << fileName << "-" << error.message();
        throw;
    }
}

LoadedPackage &PackageLoader::loadPackage(const QString &fileName)
{
    const QFileInfo file(fileName);
    auto package = std::make_unique<LoadedPackage>();
    package->fileName = file.absoluteFilePath();
    package->name = file.completeBaseName();
    package->screenCode = package->name.startsWith(kPackagePrefix, Qt::CaseInsensitive)
                              ? package->name.mid(kPackagePrefix.size()).toUpper()
                              : package->name.toUpper();

    for (const auto &loaded : m_packages) {
        if (loaded->fileName == package->fileName)
            throw platform::Error(
                QCoreApplication::translate("PackageLoader", "O pacote %1 já está carregado.")
                    .arg(package->name));
    }

    // Every symbol bound at load, so that a package built against another
    // host fails here and not in the middle of a screen.
    package->library = std::make_unique<QLibrary>(package->fileName);
    package->library->setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!package->library->load())
        throw platform::Error(QCoreApplication::translate(
                                  "PackageLoader", "Não foi possível carregar o pacote %1: %2")
                                  .arg(package->name, package->library->errorString()));
    try {
        QLibrary &library = *package->library;
        package->initialize = resolve<AteEntryProc>(library, "Initialize", package->name);
        package->finalize = resolve<AteEntryProc>(library, "Finalize", package->name);
        package->iniProc = resolve<AteEntryProc>(library, "IniProc", package->name);
        package->packageInfoTable =
            resolve<AteGetPackageInfoTableProc>(library, "GetPackageInfoTable", package->name);
        const AtePackageInfo *info = package->packageInfoTable();
        if (!info || info->abiVersion != ATE_PACKAGE_ABI_VERSION)
            throw platform::Error(
                QCoreApplication::translate("PackageLoader",
                                            "O pacote %1 foi feito para outra versão do host.")
                    .arg(package->name));
    } catch (...) {
        package->library->unload();
        throw;
    }

    package->initialize();
    // The caption may come from the package's translation, which is in place
    // once the package has started.
    package->info = package->packageInfoTable();
    package->caption = package->info->mainScreenCaption
                           ? QString::fromUtf8(package->info->mainScreenCaption)
                           : package->name;
    m_packages.push_back(std::move(package));
    return *m_packages.back();
}

void PackageLoader::unloadAll()
{
    while (!m_packages.empty()) {
        std::unique_ptr<LoadedPackage> package = std::move(m_packages.back());
        m_packages.pop_back();
        package->info = nullptr;
        package->finalize();
        // Resolving anything after this would silently load the library
        // again: the record goes with it.
        package->library->unload();
        qCInfo(lcPackage).noquote() << "unloaded" << package->name;
    }
}

LoadedPackage *PackageLoader::findScreen(const QString &screenCode) const
{
    for (const auto &package : m_packages) {
        if (package->screenCode.compare(screenCode, Qt::CaseInsensitive) == 0)
            return package.get();
    }
    return nullptr;
}

} // namespace app
