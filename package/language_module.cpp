#include "package/language_module.h"

#include "platform/abort.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTranslator>

#include <dlfcn.h>

#include <memory>

namespace Pkg_ate25400 {
namespace {

struct Translation
{
    std::unique_ptr<QTranslator> translator; // null when there is none
    bool installed = false;
};

Translation &translation()
{
    static Translation instance;
    return instance;
}

std::unique_ptr<QTranslator> findTranslation()
{
    const QFileInfo library(packageFilePath());
    if (library.fileName().isEmpty())
        return {};
    auto translator = std::make_unique<QTranslator>();
    // <base>_<language>.qm beside the library, for each of the user's
    // languages (en_US, then en).
    if (!translator->load(QLocale(), library.completeBaseName(), QStringLiteral("_"),
                          library.absolutePath(), QStringLiteral(".qm")))
        return {};
    return translator;
}

// Lives with the library: built when it is loaded, destroyed when it goes.
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
    // A library loaded outside a Qt application has nobody to translate for.
    if (!QCoreApplication::instance())
        return;
    platform::guarded([] {
        translation().translator = findTranslation();
        install();
    });
}

LanguageModule::~LanguageModule()
{
    remove();
    translation().translator.reset();
}

void LanguageModule::install()
{
    Translation &t = translation();
    if (!t.translator || t.installed || !QCoreApplication::instance())
        return;
    QCoreApplication::installTranslator(t.translator.get());
    t.installed = true;
}

void LanguageModule::remove()
{
    Translation &t = translation();
    if (!t.installed)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::removeTranslator(t.translator.get());
    t.installed = false;
}

QString LanguageModule::fileName()
{
    const Translation &t = translation();
    return t.installed ? t.translator->filePath() : QString();
}

} // namespace Pkg_ate25400
