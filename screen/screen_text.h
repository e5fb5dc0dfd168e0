#pragma once

#include <QCoreApplication>

namespace Cli_ate25400 {

// The screen's texts are translated under the form's class name, the
// context the package's language module carries them in (the class's own
// tr() would use the namespace-qualified name).
struct ScreenText
{
    Q_DECLARE_TR_FUNCTIONS(TfrmPosFecDiaPlaVoo)
};

} // namespace Cli_ate25400
