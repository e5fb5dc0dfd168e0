#pragma once

#include "screen/cli_ate25400.h"

#include "host/net/server_arg.h"

#include <QDateTime>
#include <QString>

#include <functional>

class QTimer;

namespace host {
class TNetConnection;
} // namespace host

namespace Cli_ate25400 {

// What the airline filter dialog and the report form reach of the closing
// position screen. They build on this alone, never on the screen's class,
// and the screen reaches them only through the forms it is given to open:
// the units link one way.
class CLI_ATE25400_EXPORT ClosingPosition
{
public:
    // The airline arguments of a position reading: the airline list and the
    // all-airlines flag, each by value or by reference as the caller builds
    // them.
    struct AirlineSelection
    {
        host::ServerArg list;
        host::ServerArg flag;
    };

    // The branch code typed in the filter panel.
    virtual QString branch() const = 0;
    // The flight-plan date on display.
    virtual QDateTime flightDate() const = 0;
    // The screen's connection to the application server.
    virtual host::TNetConnection &connection() const = 0;
    // Reloads the three record sets: the flight plans of the branch and
    // date on display, then, withDetails, the forecast of the current
    // flight and the services of the current forecast row. A failed reply
    // stops it there (CheckResultServ aborts); the sets loaded before it
    // keep their new rows.
    virtual void readPosition(const AirlineSelection &airlines, bool withDetails) = 0;
    // The screen's refresh timer.
    virtual QTimer &refreshTimer() const = 0;

protected:
    ~ClosingPosition() = default;
};

// The open screen; null while there is none.
CLI_ATE25400_EXPORT ClosingPosition *closingPosition();

// The forms the screen opens, and the airline list it reads from the filter
// dialog: whoever links the units together gives them.
struct OpenedForms
{
    // Opens the airline filter dialog (modal).
    std::function<void()> filterDialog;
    // Opens the report parameter form (modal).
    std::function<void()> reportForm;
    // The filter dialog's remembered airline list while the dialog exists;
    // null before it was ever opened.
    std::function<const QString *()> rememberedAirlines;
};
CLI_ATE25400_EXPORT void setOpenedForms(OpenedForms forms);
CLI_ATE25400_EXPORT const OpenedForms &openedForms();

} // namespace Cli_ate25400
