#include "host/functions.h"
#include "host/message_log.h"
#include "host/net/net_connection.h"
#include "logging/rotating_log_file.h"
#include "platform/abort.h"
#include "testing/host/fake_dialogs.h"
#include "testing/net/scripted_server.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using host::testing::Answer;
using host::testing::FakeDialogs;
using host::testing::ScriptedServer;
using host::testing::TestPacket;

namespace {

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The log of one test, in a folder of its own.
class LogScope
{
public:
    LogScope() { m_path = host::installMessageLog({m_folder.path(), QStringLiteral("test.log")}); }
    ~LogScope() { host::removeMessageLog(); }
    QString path() const { return m_path; }
    QString text() const { return readAll(m_path); }

private:
    QTemporaryDir m_folder;
    QString m_path;
};

} // namespace

class MessageLogTest : public QObject
{
    Q_OBJECT

private slots:
    void callLogsMethodDurationAndOutcome();
    void errorBoxLogsALine();
    void rotationBoundsTheFiles();
    void unwritableFolderStillRuns();
};

// Catches a call that leaves no trace: a supervisor's "it failed at ten"
// must be findable by method and outcome.
void MessageLogTest::callLogsMethodDurationAndOutcome()
{
    ScriptedServer server;
    server.enqueue(
        QStringLiteral("GetPlanoVoo"),
        Answer::packet(TestPacket().text(QStringLiteral("CDCIA"), 4).row({"G3"}).row({"JJ"})));
    server.enqueue(QStringLiteral("GetPrevPax"),
                   Answer::failure(QStringLiteral("Filial inexistente.")));
    server.start();

    const LogScope log;
    QVERIFY(!log.path().isEmpty());
    host::TNetConnection connection;
    connection.setServerName(QStringLiteral("Ate25400.rdmPosFDiPlav"));
    connection.SetHost(server.host());
    connection.setPort(server.port());
    QVERIFY(connection.appServer().invoke(QStringLiteral("GetPlanoVoo")).ok());
    QVERIFY(!connection.appServer().invoke(QStringLiteral("GetPrevPax")).ok());

    const QString address = QStringLiteral("127.0.0.1:%1").arg(server.port());
    const QString text = log.text();
    QVERIFY2(text.contains(QStringLiteral("info ate.net: connected to ") + address),
             qPrintable(text));
    const QRegularExpression ok(
        QStringLiteral("info ate.net: call Ate25400.rdmPosFDiPlav.GetPlanoVoo on %1 ok: 2 "
                       "rows in \\d+ ms\n")
            .arg(QRegularExpression::escape(address)));
    QVERIFY2(text.contains(ok), qPrintable(text));
    QVERIFY2(text.contains(QRegularExpression(
                 QStringLiteral("call Ate25400.rdmPosFDiPlav.GetPrevPax on \\S+ failed "
                                "\\(refused by the server\\) in \\d+ ms: Filial "
                                "inexistente.\n"))),
             qPrintable(text));

    // A server that is gone: the failure says so too.
    server.stop();
    connection.disconnect();
    QVERIFY(!connection.appServer().invoke(QStringLiteral("GetPlanoVoo")).ok());
    QVERIFY2(
        log.text().contains(QStringLiteral("connect to ") + address + QStringLiteral(" failed")),
        qPrintable(log.text()));
    QVERIFY2(log.text().contains(QStringLiteral("GetPlanoVoo on ") + address
                                 + QStringLiteral(" failed (transport failure)")),
             qPrintable(log.text()));
}

// Catches an error box that is shown and forgotten: what the user read must
// be in the log, whether a check or an unexpected failure showed it.
void MessageLogTest::errorBoxLogsALine()
{
    const LogScope log;
    FakeDialogs dialogs;
    QVERIFY(!platform::guarded([] { host::MensErro(QStringLiteral("Informe a filial."), true); }));
    QVERIFY(!platform::guarded(
        [] { throw platform::Error(QStringLiteral("Servidor sem resposta.\nTente de novo.")); }));
    QCOMPARE(dialogs.texts().size(), 2);
    const QString text = log.text();
    QVERIFY2(text.contains(QStringLiteral("info ate.screen: error box: Informe a filial.\n")),
             qPrintable(text));
    // One message, one line.
    QVERIFY2(text.contains(QStringLiteral("error box: Servidor sem resposta. | Tente de novo.\n")),
             qPrintable(text));
}

// Catches a log that fills the disk of a host left running for months, and
// one that forgets the size it found when reopened.
void MessageLogTest::rotationBoundsTheFiles()
{
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("logs/host.log"));
    const qint64 limit = 1000;
    const QByteArray line(49, 'x');
    {
        logging::RotatingLogFile file(QFile::encodeName(path).toStdString(), limit, 2);
        QVERIFY2(file.open(), file.errorString().c_str());
        for (int i = 0; i < 200; ++i)
            file.write((line + QByteArray::number(i % 10)).toStdString());
        file.write("last line");
    }
    QVERIFY(readAll(path).endsWith(QStringLiteral("last line\n")));
    QVERIFY(QFile::exists(path + QStringLiteral(".1")));
    QVERIFY(QFile::exists(path + QStringLiteral(".2")));
    QVERIFY(!QFile::exists(path + QStringLiteral(".3")));
    for (const QString &name : {path, path + QStringLiteral(".1"), path + QStringLiteral(".2")})
        QVERIFY2(QFileInfo(name).size() <= limit, qPrintable(name));
    QVERIFY(readAll(path + QStringLiteral(".1")).endsWith(line + "9\n"));

    // Reopened by the next run, it goes on from the size it has.
    for (int run = 0; run < 30; ++run) {
        logging::RotatingLogFile file(QFile::encodeName(path).toStdString(), limit, 2);
        QVERIFY(file.open());
        file.write(line.toStdString());
    }
    QVERIFY(QFileInfo(path).size() <= limit);
    QVERIFY(!QFile::exists(path + QStringLiteral(".3")));
}

// Catches a host that stops, or loses its standard-error log, because its
// data folder cannot be written.
void MessageLogTest::unwritableFolderStillRuns()
{
    const QTemporaryDir folder;
    QFile blocker(folder.filePath(QStringLiteral("not-a-folder")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QCOMPARE(host::installMessageLog({blocker.fileName(), QStringLiteral("x.log")}), QString());
    qCInfo(host::lcScreen) << "still logging";
    host::removeMessageLog();
}

QTEST_MAIN(MessageLogTest)
#include "message_log_test.moc"
