#include "host_options.h"
#include "host_session.h"
#include "message_log.h"
#include "translations.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    // Help needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(qPrintable(app::hostUsage()), stdout);
            return 0;
        }
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ate-host"));
    host::installMessageLog();
    app::installTranslations();
    return app::runHost(application);
}
