#include "app/command_line.h"
#include "app/desktop_identity.h"
#include "app/host_session.h"
#include "app/translations.h"
#include "host/message_log.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // Read before the host's application exists: a wrong option, --help and
    // --version need no display, and a refusal never waits on a message box.
    // A core application of its own gives them the user's language.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    app::HostOptions options;
    {
        QCoreApplication commandLine(argc, argv);
        app::installCommandLineTranslation();
        if (const std::optional<int> exitCode = app::readCommandLine(arguments, options))
            return *exitCode;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ate-host"));
    QApplication::setApplicationVersion(QStringLiteral(ATE_VERSION));
    app::applyDesktopIdentity();
    host::installMessageLog();
    app::installTranslations();
    return app::runHost(application, options);
}
