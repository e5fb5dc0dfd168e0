#pragma once

#include <QString>

namespace host {
class TMessages;
}
namespace platform {
class Field;
}

namespace Cli_ate25400 {

// The key of the screen's message table whose text a service's situation
// shows, on the screen and on paper alike: cancelled first; then an invoice
// entry makes any other situation cancelled with charge; then pending and
// attended. Null for the rest, which show nothing.
const char *serviceSituationKey(const QString &situation, const QString &invoiceEntry);

// The text of a service row's situation field (IDSITSERSP, with NRLANCTONF
// beside it in its set), from a table holding the screen's messages.
QString serviceSituationText(const platform::Field &situation, const host::TMessages &messages);

} // namespace Cli_ate25400
