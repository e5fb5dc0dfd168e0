#include "language_module.h"

#include "abort.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTranslator>

#include <dlfcn.h>

#include <memory>

namespace Pkg_ate25400 {
namespace {

std::unique_ptr<QTranslator> &translator()
{
    static std::unique_ptr<QTranslator> instance;
    return instance;
}

// Lives and dies with the library: its constructor runs when the library is
// loaded, its destructor when it is unloaded.
LanguageModule g_languageModule;

} // namespace

QString packageFilePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void *>(&packageFilePath), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

LanguageModule::LanguageModule()
{
    // A library loaded outside a Qt application (a symbol listing, say)
    // has nobody to translate for.
    if (!QCoreApplication::instance())
        return;
    platform::guarded([] {
        const QFileInfo library(packageFilePath());
        if (library.fileName().isEmpty())
            return;
        auto candidate = std::make_unique<QTranslator>();
        // Tries <base>_<language>.qm beside the library for each of the
        // user's languages (en_US, then en).
        if (!candidate->load(QLocale(), library.completeBaseName(), QStringLiteral("_"),
                             library.absolutePath(), QStringLiteral(".qm")))
            return;
        QCoreApplication::installTranslator(candidate.get());
        translator() = std::move(candidate);
    });
}

LanguageModule::~LanguageModule()
{
    if (!translator())
        return;
    if (QCoreApplication::instance())
        QCoreApplication::removeTranslator(translator().get());
    translator().reset();
}

QString LanguageModule::fileName()
{
    return translator() ? translator()->filePath() : QString();
}

} // namespace Pkg_ate25400
