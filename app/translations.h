#pragma once

#include <QLocale>
#include <QStringList>

namespace app {

// The folders the host's own translations are looked for in: beside the
// executable's folder ("translations" in a build tree) and in the installed
// tree's data folder.
QStringList translationFolders();

// Installs, for the locale, Qt's own texts (qtbase_*.qm: standard buttons,
// file dialogs, print preview) and the host's: the framework's and the
// application's. Call before any window exists. Packages bring their own.
// Returns the files installed; a locale without translations installs
// none and the host speaks Portuguese.
QStringList installTranslations(const QLocale &locale = QLocale());

// Installs the application's own texts only, quietly: what the command
// line's help and refusals need before the host's application exists.
void installCommandLineTranslation(const QLocale &locale = QLocale());

} // namespace app
