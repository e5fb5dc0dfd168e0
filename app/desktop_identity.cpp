#include "app/desktop_identity.h"

#include <QGuiApplication>
#include <QIcon>

namespace app {

void applyDesktopIdentity()
{
    QGuiApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("ate-host"), QIcon(QStringLiteral(":/ate-host.svg"))));
    QGuiApplication::setDesktopFileName(QStringLiteral("ate-host"));
}

} // namespace app
