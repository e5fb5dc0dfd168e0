#include "app/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QTranslator>

#include <memory>

namespace app {
namespace {

Q_LOGGING_CATEGORY(lcTranslation, "ate.translation", QtInfoMsg)

// Found by their base name: <base>_<language>.qm.
constexpr const char *kHostTranslations[] = {"ate_framework", "ate_app"};

bool install(const QLocale &locale, const QString &baseName, const QStringList &folders,
             QStringList &installed)
{
    for (const QString &folder : folders) {
        auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
        if (!translator->load(locale, baseName, QStringLiteral("_"), folder, QStringLiteral(".qm")))
            continue;
        QCoreApplication::installTranslator(translator.get());
        installed.append(translator->filePath());
        translator.release(); // owned by the application
        return true;
    }
    return false;
}

} // namespace

QStringList translationFolders()
{
    const QDir bin(QCoreApplication::applicationDirPath());
    return {
        QDir::cleanPath(bin.absoluteFilePath(QStringLiteral("../translations"))),
        QDir::cleanPath(bin.absoluteFilePath(QStringLiteral("../share/ate25400/translations")))};
}

QStringList installTranslations(const QLocale &locale)
{
    QStringList installed;
    // Portuguese is what the host is written in: only Qt's texts then.
    if (!install(locale, QStringLiteral("qtbase"),
                 {QLibraryInfo::path(QLibraryInfo::TranslationsPath)}, installed)
        && locale.language() != QLocale::C)
        qCInfo(lcTranslation).noquote() << "no Qt translation for" << locale.name();
    for (const char *baseName : kHostTranslations) {
        if (!install(locale, QLatin1String(baseName), translationFolders(), installed)
            && locale.language() != QLocale::Portuguese && locale.language() != QLocale::C)
            qCInfo(lcTranslation).noquote()
                << "no" << baseName << "translation for" << locale.name() << "in"
                << translationFolders().join(QStringLiteral(", "))
                << "- the host speaks Portuguese";
    }
    for (const QString &file : installed)
        qCInfo(lcTranslation).noquote() << "installed" << file;
    return installed;
}

void installCommandLineTranslation(const QLocale &locale)
{
    QStringList installed;
    install(locale, QStringLiteral("ate_app"), translationFolders(), installed);
}

} // namespace app
