#pragma once

#include <QCoreApplication>

namespace Cli_ate25402 {

// The form's texts are translated under the form's class name, the context
// the package's language module carries them in.
struct ReportText
{
    Q_DECLARE_TR_FUNCTIONS(TfrmRelPosFecDiaPV)
};

} // namespace Cli_ate25402
