#include "host/dialogs.h"

#include "host/message_log.h"
#include "host/qt_dialogs.h"
#include "platform/abort.h"
#include "platform/screen.h"

#include <QGuiApplication>

namespace host {
namespace {

Dialogs *&installed()
{
    static Dialogs *service = nullptr;
    return service;
}

// The screen's busy cursor is paused while a box is up and comes back
// after it; an override cursor set past the platform is dropped for good.
class NormalCursor
{
public:
    NormalCursor()
    {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    }

private:
    platform::ScreenCursorPause m_pause;
};

} // namespace

Dialogs::~Dialogs() = default;

void Dialogs::error(const QString &text)
{
    // What the user was told is what a supervisor asks about later.
    qCInfo(lcScreen).noquote() << "error box:" << text;
    const NormalCursor normal;
    showMessage(MessageKind::Error, text);
}

void Dialogs::information(const QString &text)
{
    qCInfo(lcScreen).noquote() << "information box:" << text;
    const NormalCursor normal;
    showMessage(MessageKind::Information, text);
}

std::optional<QStringList> Dialogs::pickList(const ListPickRequest &request)
{
    const NormalCursor normal;
    return showListPicker(request);
}

std::optional<int> Dialogs::lookup(const LookupRequest &request)
{
    const NormalCursor normal;
    return showLookup(request);
}

Dialogs &dialogs()
{
    if (Dialogs *service = installed())
        return *service;
    static QtDialogs real;
    return real;
}

void setDialogs(Dialogs *service)
{
    installed() = service;
}

void installErrorDisplay()
{
    platform::setErrorDisplay([](const QString &message) { dialogs().error(message); });
}

} // namespace host

namespace {
// Any process that loads the host library shows failures in the host's boxes.
void installErrorDisplayAtLoad()
{
    host::installErrorDisplay();
}
} // namespace
Q_CONSTRUCTOR_FUNCTION(installErrorDisplayAtLoad)
