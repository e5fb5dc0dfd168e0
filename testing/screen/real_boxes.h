#pragma once

#include "host/qt_dialogs.h"

#include <QStringList>

namespace screen::testing {

// The host's real message boxes, each answered with OK once it is on
// screen, so that showing one deactivates the window as it does for a user.
// Records each text with the objectName of the focused control.
class RealBoxes : public host::QtDialogs
{
public:
    RealBoxes();
    ~RealBoxes() override;

    QStringList texts;
    QStringList focusAtMessage;
    QStringList failures; // boxes the driver could not answer

protected:
    void showMessage(host::MessageKind kind, const QString &text) override;
};

} // namespace screen::testing
