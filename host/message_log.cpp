#include "host/message_log.h"

#include "logging/rotating_log_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cstdio>
#include <memory>
#include <mutex>

Q_LOGGING_CATEGORY(host::lcScreen, "ate.screen", QtInfoMsg)
Q_LOGGING_CATEGORY(host::lcHost, "ate.host", QtInfoMsg)

namespace host {
namespace {

struct Log
{
    std::mutex mutex;
    std::unique_ptr<logging::RotatingLogFile> file;
    QtMessageHandler previous = nullptr;
};

// Never destroyed: Qt logs from its own static destructors too, after
// this file's statics would be gone. Every line is flushed as written.
Log &log()
{
    static Log *instance = new Log;
    return *instance;
}

const char *typeName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "debug";
    case QtInfoMsg:
        return "info";
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
        return "critical";
    case QtFatalMsg:
        return "fatal";
    }
    return "?";
}

QByteArray formatLine(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    QByteArray line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")).toUtf8();
    line += ' ';
    line += typeName(type);
    if (context.category && qstrcmp(context.category, "default") != 0) {
        line += ' ';
        line += context.category;
    }
    line += ": ";
    // One message, one line: a multi-line server message would otherwise
    // read as several entries.
    QString text = message;
    text.replace(QLatin1Char('\n'), QLatin1String(" | "));
    line += text.toUtf8();
    return line;
}

void handleMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    Log &l = log();
    // A message raised while writing (by this thread) must not deadlock.
    static thread_local bool writing = false;
    QtMessageHandler previous = nullptr;
    if (!writing) {
        writing = true;
        const std::lock_guard lock(l.mutex);
        if (l.file) {
            const QByteArray line = formatLine(type, context, message);
            l.file->write(std::string_view(line.constData(), std::size_t(line.size())));
        }
        previous = l.previous;
        writing = false;
    }
    if (previous)
        previous(type, context, message);
}

} // namespace

QString installMessageLog(const MessageLogSettings &settings)
{
    QString folder = settings.folder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                 + QStringLiteral("/logs");
    QString name = settings.fileName;
    if (name.isEmpty())
        name = (QCoreApplication::applicationName().isEmpty() ? QStringLiteral("ate-host")
                                                              : QCoreApplication::applicationName())
               + QStringLiteral(".log");

    auto file = std::make_unique<logging::RotatingLogFile>(
        QFile::encodeName(QDir(folder).filePath(name)).toStdString(), settings.maxBytes,
        settings.keptFiles);
    QString path;
    if (file->open()) {
        path = QFile::decodeName(QByteArray::fromStdString(file->path()));
    } else {
        std::fprintf(stderr, "log: %s; logging to standard error only\n",
                     file->errorString().c_str());
        file.reset();
    }

    removeMessageLog();
    {
        Log &l = log();
        const std::lock_guard lock(l.mutex);
        l.file = std::move(file);
    }
    // Standard error gets the file's layout too, unless QT_MESSAGE_PATTERN
    // asks for another.
    qSetMessagePattern(
        QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} %{type} %{category}: %{message}"));
    // A message another thread logs before the next lines reaches the file only.
    QtMessageHandler previous = qInstallMessageHandler(handleMessage);
    {
        Log &l = log();
        const std::lock_guard lock(l.mutex);
        l.previous = previous;
    }
    qCInfo(lcHost).noquote() << QCoreApplication::applicationName()
                             << QCoreApplication::applicationVersion() << "started, pid"
                             << QCoreApplication::applicationPid() << "log"
                             << (path.isEmpty() ? QStringLiteral("on standard error only") : path);
    return path;
}

void removeMessageLog()
{
    Log &l = log();
    QtMessageHandler previous = nullptr;
    {
        const std::lock_guard lock(l.mutex);
        if (!l.previous)
            return;
        previous = l.previous;
        l.previous = nullptr;
        l.file.reset();
    }
    qInstallMessageHandler(previous);
}

} // namespace host
