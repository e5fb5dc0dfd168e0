#include "app/command_line.h"
#include "app/host_session.h"
#include "app/main_window.h"
#include "app/package_loader.h"
#include "app/screenshot_job.h"
#include "host/host_context.h"
#include "platform/client_data_set.h"
#include "platform/db_grid.h"
#include "platform/field.h"
#include "platform/grid_column.h"
#include "testing/server/demo_server.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDate>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>

namespace {

const QString kBranch = QStringLiteral("GRU");

// A text of the screen as the user reads it, once the package's language
// module is installed.
QString screenText(const char *text)
{
    return QCoreApplication::translate("TfrmPosFecDiaPlaVoo", text);
}

QStringList columnTexts(const QAbstractItemView *grid, const QString &title)
{
    const QAbstractItemModel *model = grid->model();
    for (int column = 0; column < model->columnCount(); ++column) {
        if (model->headerData(column, Qt::Horizontal).toString() != title)
            continue;
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row)
            texts.append(model->index(row, column).data().toString().trimmed());
        return texts;
    }
    return {};
}

} // namespace

// The whole chain: the demo data, the real application server, the host
// loading the real plug-in, the screen's first load.
class EndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void screenShowsTheDaysFlightPlans();
    void pictureShowsTheScreenAsBrowsed();
    void screenshotRunWritesThePicture();
    void screenshotRunFailsWithoutAServer();
    void reportRunPrintsTheScreensDay();

private:
    QStringList flightsInDatabase(QDate day) const;
    // The day's services of the branch (all airlines, every situation):
    // their count, then the sums of the five quantities.
    QList<double> serviceTotalsInDatabase(QDate day) const;
    QProcess::ExitStatus runHost(const QStringList &arguments, int &exitCode, QByteArray &output);

    host::testing::DemoServer m_server;
};

void EndToEndTest::initTestCase()
{
    // The in-process host keeps its layouts in the test's own settings.
    QStandardPaths::setTestModeEnabled(true);
    const QString failure = m_server.start(QDate::currentDate(), 7);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void EndToEndTest::cleanupTestCase()
{
    m_server.stop();
}

QStringList EndToEndTest::flightsInDatabase(QDate day) const
{
    QStringList flights;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(m_server.serverDatabase());
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("SELECT NRVOO FROM PLANOVOO WHERE CDFILIAL = :CDFILIAL "
                                         "AND DTHRPLAVOOPV >= :FROM AND DTHRPLAVOOPV < :TO"));
            query.bindValue(QStringLiteral(":CDFILIAL"), kBranch);
            query.bindValue(QStringLiteral(":FROM"), day.toString(Qt::ISODate));
            query.bindValue(QStringLiteral(":TO"), day.addDays(1).toString(Qt::ISODate));
            if (query.exec()) {
                while (query.next())
                    flights.append(query.value(0).toString().trimmed());
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return flights;
}

QList<double> EndToEndTest::serviceTotalsInDatabase(QDate day) const
{
    QList<double> totals;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("totals"));
        db.setDatabaseName(m_server.serverDatabase());
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral(
                "SELECT COUNT(*), SUM(S.QTSESBYPRSP), SUM(S.QTSESOLICSP), SUM(S.QTSERFATSP), "
                "SUM(S.QTCORTSERVSP), SUM(S.QTSERVFIXSP) FROM PLANOVOO P JOIN SERVPLANO S "
                "ON S.CDFILIAL = P.CDFILIAL AND S.DTHRPLAVOOPV = P.DTHRPLAVOOPV "
                "AND S.CDCIA = P.CDCIA AND S.NRVOO = P.NRVOO AND S.CDTRECHO = P.CDTRECHO "
                "WHERE P.CDFILIAL = :CDFILIAL AND substr(P.DTHRPLAVOOPV, 1, 10) = :DAY "
                "AND S.IDSITSERSP IN ('1', '2', '3', '4', '5')"));
            query.bindValue(QStringLiteral(":CDFILIAL"), kBranch);
            query.bindValue(QStringLiteral(":DAY"), day.toString(Qt::ISODate));
            if (query.exec() && query.next()) {
                for (int c = 0; c < 6; ++c)
                    totals.append(query.value(c).toDouble());
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("totals"));
    return totals;
}

QProcess::ExitStatus EndToEndTest::runHost(const QStringList &arguments, int &exitCode,
                                           QByteArray &output)
{
    QProcess hostProcess;
    hostProcess.setProcessChannelMode(QProcess::MergedChannels);
    host::testing::dieWithParent(hostProcess);
    // The host keeps the user's layouts: this run's go to its own folder.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       m_server.filePath(QStringLiteral("config")));
    hostProcess.setProcessEnvironment(environment);
    hostProcess.start(QStringLiteral(ATE_HOST), arguments);
    // Only a net for a host that hangs: a whole day's report on a busy
    // machine takes its time.
    if (!hostProcess.waitForFinished(240000)) {
        hostProcess.kill();
        hostProcess.waitForFinished(2000);
        output = "ate-host did not finish: " + hostProcess.readAll();
        exitCode = -1;
        return QProcess::CrashExit;
    }
    output = hostProcess.readAll();
    exitCode = hostProcess.exitCode();
    return hostProcess.exitStatus();
}

// The screen must show exactly the branch's plans of the day, read through
// the server, with the selected flight's forecast and services below.
void EndToEndTest::screenShowsTheDaysFlightPlans()
{
    app::HostOptions options = app::parseHostOptions(
        {"--branch", kBranch.toLower(), "--server", "127.0.0.1", "--port",
         QString::number(m_server.port()), "--local-db", m_server.localDatabase(), "--plugins",
         QStringLiteral(ATE_PLUGIN_DIR)});
    app::HostSession session(options);
    session.start();
    QCOMPARE(session.mainWindow()->windowTitle(),
             QCoreApplication::translate("app::MainWindow", "Catering — Filial %1 %2")
                 .arg(QStringLiteral("GRU"), QStringLiteral("Guarulhos")));
    // Opened as a user opens it: from the host's menu.
    auto *menuItem = session.mainWindow()->findChild<QAction *>(QStringLiteral("mnuTelaATE25400"));
    QVERIFY(menuItem);
    QCOMPARE(menuItem->text(), QStringLiteral("ATE25400 - ")
                                   + screenText("Posição do Fechamento "
                                                "Diário do Plano de Vôo"));
    menuItem->trigger();
    app::LoadedPackage *package = session.packages().findScreen(QStringLiteral("ATE25400"));
    QVERIFY(package);
    QTRY_VERIFY_WITH_TIMEOUT(package->mainScreenReady(), 20000);

    auto *plans =
        session.mainWindow()->findChild<QAbstractItemView *>(QStringLiteral("dbgPlanoVoo"));
    auto *forecast =
        session.mainWindow()->findChild<QAbstractItemView *>(QStringLiteral("dbgPrevisaoPax"));
    auto *services =
        session.mainWindow()->findChild<QAbstractItemView *>(QStringLiteral("dbgServPlano"));
    QVERIFY(plans && forecast && services);

    QStringList expected = flightsInDatabase(QDate::currentDate());
    QVERIFY(expected.size() > 100);
    QStringList shown = columnTexts(plans, screenText("Vôo"));
    QCOMPARE(shown.size(), expected.size());
    std::sort(expected.begin(), expected.end());
    std::sort(shown.begin(), shown.end());
    QCOMPARE(shown, expected);
    // Every demo flight has at least two cabin classes and ten services.
    QVERIFY(forecast->model()->rowCount() >= 2);
    QVERIFY(services->model()->rowCount() >= 10);

    session.stop();
    QVERIFY(session.packages().packages().empty());
}

// The picture must show the screen filling the window, back on its first
// flight, with prices in the price column rather than the airline's
// nationality code, and the focus left where the screen put it.
void EndToEndTest::pictureShowsTheScreenAsBrowsed()
{
    app::HostSession session(app::parseHostOptions(
        {"--branch", kBranch, "--server", "127.0.0.1", "--port", QString::number(m_server.port()),
         "--local-db", m_server.localDatabase(), "--plugins", QStringLiteral(ATE_PLUGIN_DIR),
         "--open", "ATE25400", "--maximize-screen"}));
    session.start();
    app::LoadedPackage &package = session.openScreen(QStringLiteral("ATE25400"));
    QTRY_VERIFY_WITH_TIMEOUT(package.mainScreenReady(), 20000);
    QMdiArea *area = session.mainWindow()->mdiArea();
    QCOMPARE(area->subWindowList().size(), 1);
    QVERIFY(area->subWindowList().first()->isMaximized());

    auto *plans =
        session.mainWindow()->findChild<platform::DBGrid *>(QStringLiteral("dbgPlanoVoo"));
    auto *services =
        session.mainWindow()->findChild<platform::DBGrid *>(QStringLiteral("dbgServPlano"));
    QVERIFY(plans && services);
    QCOMPARE(plans->currentIndex().row(), 0);
    // The services' own airline's currency from the first load.
    const QString nationality =
        services->dataSet()->fieldByName(QStringLiteral("IDNACCIA")).asString();
    QCOMPARE(services->column(7).fieldName(), nationality == QLatin1String("1")
                                                  ? QStringLiteral("VRPRURESESP")
                                                  : QStringLiteral("VRPRUDOLSESP"));
    QWidget *focus = QApplication::focusWidget();

    app::browseFirstGrid(area);
    QCOMPARE(plans->currentIndex().row(), 0);
    const QString price = services->column(7).fieldName();
    QVERIFY2(price == QLatin1String("VRPRURESESP") || price == QLatin1String("VRPRUDOLSESP"),
             qPrintable(price));
    QCOMPARE(services->dataSet()->fieldByName(QStringLiteral("NRVOO")).asString().trimmed(),
             columnTexts(plans, screenText("Vôo")).first());
    QCOMPARE(QApplication::focusWidget(), focus);
    session.stop();
}

// What scripts/run.sh does where there is no display.
void EndToEndTest::screenshotRunWritesThePicture()
{
    const QString picture = m_server.filePath("shots/ate25400.png");
    int exitCode = 0;
    QByteArray output;
    const QProcess::ExitStatus status =
        runHost({"--branch", kBranch, "--port", QString::number(m_server.port()), "--server",
                 "127.0.0.1", "--local-db", m_server.localDatabase(), "--open", "ATE25400",
                 "--maximize-screen", "--screenshot", picture},
                exitCode, output);
    QVERIFY2(status == QProcess::NormalExit && exitCode == 0, output.constData());
    const QImage image(picture);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(1100, 720));
}

// A picture of a screen that never loaded must not pass for success.
void EndToEndTest::screenshotRunFailsWithoutAServer()
{
    const QString picture = m_server.filePath("none.png");
    int exitCode = 0;
    QByteArray output;
    // Port 1 on this machine: nothing listens there.
    const QProcess::ExitStatus status = runHost(
        {"--branch", kBranch, "--server", "127.0.0.1", "--port", "1", "--deadline-ms", "500",
         "--local-db", m_server.localDatabase(), "--open", "ATE25400", "--screenshot", picture},
        exitCode, output);
    QCOMPARE(status, QProcess::NormalExit);
    QVERIFY2(exitCode == 1, output.constData());
    // The host speaks the user's language on standard error too.
    const bool english = QLocale().language() == QLocale::English;
    QVERIFY2(output.contains(english ? "no picture taken" : "captura não feita"),
             output.constData());
    QVERIFY(!QFile::exists(picture));
}

// What scripts/run.sh does after the picture: the day's report through the
// screen's print command and the form's defaults, from the database the
// server serves (opened read-only), every flight of the screen in it, and
// its totals those of the database to the cent, in the user's locale (a
// price column whose first value is NULL came back as text, and its values
// were then read with the user's decimal comma).
void EndToEndTest::reportRunPrintsTheScreensDay()
{
    // The day's first printed service without a price, as the demo data
    // has now and then: the price column's type then comes from a NULL.
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("first"));
        db.setDatabaseName(m_server.serverDatabase());
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.prepare(QStringLiteral(
            "UPDATE SERVPLANO SET VRPRURESESP = NULL, VRPRUDOLSESP = NULL WHERE rowid = ("
            "SELECT S.rowid FROM PLANOVOO P JOIN SERVPLANO S ON S.CDFILIAL = P.CDFILIAL "
            "AND S.DTHRPLAVOOPV = P.DTHRPLAVOOPV AND S.CDCIA = P.CDCIA AND S.NRVOO = P.NRVOO "
            "AND S.CDTRECHO = P.CDTRECHO WHERE P.CDFILIAL = :CDFILIAL "
            "AND substr(P.DTHRPLAVOOPV, 1, 10) = :DAY ORDER BY COALESCE(P.HRDECOLVOO, ''), "
            "P.CDCIA, P.NRVOO, P.CDTRECHO, P.DTHRPLAVOOPV, S.NRITEMPLANSP LIMIT 1)")));
        query.bindValue(QStringLiteral(":CDFILIAL"), kBranch);
        query.bindValue(QStringLiteral(":DAY"), QDate::currentDate().toString(Qt::ISODate));
        QVERIFY(query.exec());
        QCOMPARE(query.numRowsAffected(), 1);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("first"));

    const QString pdf = m_server.filePath("reports/ate254.pdf");
    int exitCode = 0;
    QByteArray output;
    const QProcess::ExitStatus status =
        runHost({"--branch", kBranch, "--port", QString::number(m_server.port()), "--server",
                 "127.0.0.1", "--local-db", m_server.serverDatabase(), "--plugins",
                 QStringLiteral(ATE_PLUGIN_DIR), "--open", "ATE25400", "--report-pdf", pdf},
                exitCode, output);
    QVERIFY2(status == QProcess::NormalExit && exitCode == 0, output.constData());

    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(60000));
    QCOMPARE(text.exitCode(), 0);
    const QString content = QString::fromUtf8(text.readAllStandardOutput());
    // The report's own texts in the user's language.
    const bool english = QLocale().language() == QLocale::English;
    QVERIFY(content.contains(english
                                 ? QStringLiteral("Daily Closing Position of the Flight Plan")
                                 : QStringLiteral("Posição do Fechamento Diário do Plano de Vôo")));
    QVERIFY(
        content.contains((english ? QStringLiteral("Flight plan date: %1")
                                  : QStringLiteral("Data do plano de vôo: %1"))
                             .arg(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")))));
    static const QRegularExpression flightLine(QStringLiteral("^\\s*\\S+ (\\S+)\\s+(Trecho|Leg) "));
    QStringList printed;
    for (const QString &line : content.split(u'\n')) {
        const QRegularExpressionMatch match = flightLine.match(line);
        if (match.hasMatch() && !printed.contains(match.captured(1)))
            printed.append(match.captured(1));
    }
    QStringList expected = flightsInDatabase(QDate::currentDate());
    expected.removeDuplicates();
    expected.sort();
    printed.sort();
    QCOMPARE(printed, expected);

    // The amounts as the user writes them.
    const QLocale user;
    static const QRegularExpression grandTotal(
        QStringLiteral("^\\s*(Total geral|Grand total)\\s+(.*)$"));
    // The count is the host's text, in the user's language.
    static const QRegularExpression count(QStringLiteral("^\\s*(\\d+) (registros|records)\\s*$"));
    QList<double> totals;
    double recordCount = -1;
    for (const QString &line : content.split(u'\n')) {
        if (const QRegularExpressionMatch match = grandTotal.match(line); match.hasMatch()) {
            const QStringList amounts = match.captured(2).split(u' ', Qt::SkipEmptyParts);
            for (const QString &amount : amounts) {
                bool ok = false;
                totals.append(user.toDouble(amount, &ok));
                QVERIFY2(ok, qPrintable(line));
            }
        } else if (const QRegularExpressionMatch match = count.match(line);
                   match.hasMatch() && recordCount < 0) {
            recordCount = user.toDouble(match.captured(1));
        }
    }
    totals.prepend(recordCount);
    const QList<double> sql = serviceTotalsInDatabase(QDate::currentDate());
    QCOMPARE(sql.size(), 6);
    QVERIFY(sql.at(0) > 0);
    QCOMPARE(totals.size(), sql.size());
    for (int i = 0; i < sql.size(); ++i)
        QVERIFY2(qAbs(totals.at(i) - sql.at(i)) < 0.005,
                 qPrintable(QStringLiteral("%1: printed %2, database %3")
                                .arg(i)
                                .arg(totals.at(i), 0, 'f', 2)
                                .arg(sql.at(i), 0, 'f', 2)));
}

QTEST_MAIN(EndToEndTest)
#include "tst_end_to_end.moc"
