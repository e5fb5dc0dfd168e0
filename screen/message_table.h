#pragma once

#include <QStringList>

namespace Cli_ate25400 {

// The screen's message table: "key|text" lines in their stored order, the
// texts in the user's language.
QStringList messageTableLines();

} // namespace Cli_ate25400
