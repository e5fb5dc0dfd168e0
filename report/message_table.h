#pragma once

#include <QStringList>

namespace Cli_ate25402 {

// The form's own lines of msgPadrao, after the base form's three: "key|text"
// in their stored order, the texts in the user's language.
QStringList messageTableLines();

} // namespace Cli_ate25402
