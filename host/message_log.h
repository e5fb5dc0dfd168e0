#pragma once

#include <QLoggingCategory>
#include <QString>

namespace host {

// The host's log categories. Info and above are on by default; debug lines
// and whole categories are tuned with QT_LOGGING_RULES, for example
// "ate.net.info=false" or "ate.*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcScreen) // "ate.screen": the screens' failures, every box the user sees
Q_DECLARE_LOGGING_CATEGORY(lcHost)   // "ate.host": the process's start, so that runs tell apart

struct MessageLogSettings
{
    QString folder;   // empty: "logs" in the user's data folder
    QString fileName; // empty: the application's name + ".log"
    qint64 maxBytes = 2 * 1024 * 1024;
    int keptFiles = 4; // older files kept beside the current one
};

// Sends every message of the process (the host's categories and Qt's own)
// to a size-bounded rotating file as well as on to the handler that was in
// place (standard error, or the test runner's). Returns the file's path;
// empty when it cannot be written, and then says why on standard error and
// logs to standard error alone. Call once QCoreApplication exists and has
// its name.
QString installMessageLog(const MessageLogSettings &settings = {});

// Puts the previous handler back and closes the file.
void removeMessageLog();

} // namespace host
