#pragma once

#include <QString>

namespace Pkg_ate25400 {

// The package's own file (the host's is the application's path).
QString packageFilePath();

// The package's language resource module: a Qt translation beside the
// library, named after it and the user's locale (PKG_ATE25400_en.qm for
// en_US). Loaded when the library is loaded, before any form exists, and
// removed when it is unloaded. Without one the built-in Portuguese texts
// stand.
class LanguageModule
{
public:
    LanguageModule();  // looks for the translation and installs it
    ~LanguageModule(); // removes it

    LanguageModule(const LanguageModule &) = delete;
    LanguageModule &operator=(const LanguageModule &) = delete;

    // The translation file in use, empty when none.
    static QString fileName();
};

} // namespace Pkg_ate25400
