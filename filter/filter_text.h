#pragma once

#include <QCoreApplication>

namespace Cli_ate25401 {

// The dialog's texts are translated under the form's class name, the
// context the package's language module carries them in.
struct FilterText
{
    Q_DECLARE_TR_FUNCTIONS(TfrmFiltroCia)
};

} // namespace Cli_ate25401
