#pragma once

#include <QString>

namespace Pkg_ate25400 {

// The package's own file (the host's is the application's path).
QString packageFilePath();

// The package's language resource module: a Qt translation beside the
// library, named after it and the user's locale (PKG_ATE25400_en.qm for
// en_US). Looked for and installed when the library is loaded, before any
// form exists; without one the built-in Portuguese texts stand.
//
// The package's last Finalize removes it and a later Initialize puts it
// back: the library may stay mapped after the host unloads it (it holds
// process-wide symbols the loader will not drop), so the load and unload
// of the file alone cannot be relied on.
class LanguageModule
{
public:
    LanguageModule();  // at load: find the translation and install it
    ~LanguageModule(); // at unload: remove it

    LanguageModule(const LanguageModule &) = delete;
    LanguageModule &operator=(const LanguageModule &) = delete;

    static void install();
    static void remove();

    // The translation file in force, empty when none.
    static QString fileName();
};

} // namespace Pkg_ate25400
