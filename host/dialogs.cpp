#include "dialogs.h"

#include "abort.h"
#include "qt_dialogs.h"

#include <QGuiApplication>

namespace host {
namespace {

Dialogs *&installed()
{
    static Dialogs *service = nullptr;
    return service;
}

void restoreCursor()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

} // namespace

Dialogs::~Dialogs() = default;

void Dialogs::error(const QString &text)
{
    restoreCursor();
    showMessage(MessageKind::Error, text);
}

void Dialogs::information(const QString &text)
{
    restoreCursor();
    showMessage(MessageKind::Information, text);
}

std::optional<QStringList> Dialogs::pickList(const ListPickRequest &request)
{
    restoreCursor();
    return showListPicker(request);
}

std::optional<int> Dialogs::lookup(const LookupRequest &request)
{
    restoreCursor();
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
