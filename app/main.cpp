#include "host_session.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ate-host"));
    return app::runHost(application);
}
