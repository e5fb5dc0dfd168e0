#include "app/command_line.h"
#include "app/desktop_identity.h"
#include "app/host_options.h"
#include "app/main_window.h"
#include "app/tests/error_message.h"
#include "host/host_context.h"
#include "host/local_database.h"
#include "host/net/net_connection.h"
#include "platform/abort.h"

#include <QApplication>
#include <QIcon>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using app::HostOptions;
using app::parseHostOptions;

class HostOptionsTest : public QObject
{
    Q_OBJECT

private slots:
    void windowsShowTheProductsIcon();
    void cleanup();

    void flagsTakeBothSpellings();
    void badFlagsAreRefusedWithAReason_data();
    void badFlagsAreRefusedWithAReason();
    void flagsWinOverTheConfigurationFile();
    void branchNameComesFromTheLocalDatabase();
    void localDatabaseIsOnlyRead();
    void titleNamesTheBranch();
};

void HostOptionsTest::cleanup()
{
    host::closeLocalDatabase();
    host::context() = host::Context();
}

// A value after "=" or as the next argument must mean the same.
void HostOptionsTest::flagsTakeBothSpellings()
{
    const HostOptions spaced =
        parseHostOptions({"--branch", "gru", "--port", "6001", "--open", "ate25400", "--screenshot",
                          "x.png", "--bound", "--maximize-screen"});
    const HostOptions joined =
        parseHostOptions({"--branch=gru", "--port=6001", "--open=ate25400", "--screenshot=x.png",
                          "--bound", "--maximize-screen"});
    for (const HostOptions &options : {spaced, joined}) {
        QCOMPARE(options.branchCode.value_or(QString()), QStringLiteral("GRU"));
        QCOMPARE(options.serverPort.value_or(0), 6001);
        QCOMPARE(options.openScreen, QStringLiteral("ATE25400"));
        QCOMPARE(options.screenshotFile, QStringLiteral("x.png"));
        QCOMPARE(options.moduleBound, std::optional<bool>(true));
        QVERIFY(options.maximizeScreen);
    }
    QVERIFY(!parseHostOptions({}).moduleBound.has_value());
    QVERIFY(!parseHostOptions({}).maximizeScreen);
}

void HostOptionsTest::badFlagsAreRefusedWithAReason_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown") << QStringList{"--prot", "1"} << "Opção desconhecida: --prot.";
    QTest::newRow("no value") << QStringList{"--port"} << "Falta o valor de --port.";
    QTest::newRow("port zero") << QStringList{"--port", "0"}
                               << "Valor inválido para --port: \"0\" (de 1 a 65535).";
    QTest::newRow("port text") << QStringList{"--port=abc"}
                               << "Valor inválido para --port: \"abc\" (de 1 a 65535).";
    QTest::newRow("deadline") << QStringList{"--deadline-ms", "-5"}
                              << "Valor inválido para --deadline-ms: \"-5\" (de 1 a 600000).";
    QTest::newRow("long branch") << QStringList{
        "--branch", "GRUXX"} << "Código de filial inválido: \"GRUXX\" (até 4 letras ou dígitos).";
    QTest::newRow("quoted branch")
        << QStringList{"--branch", "G'1"}
        << "Código de filial inválido: \"G'1\" (até 4 letras ou dígitos).";
    QTest::newRow("both bindings")
        << QStringList{"--bound", "--unbound"} << "Use --bound ou --unbound, não os dois.";
    QTest::newRow("flag with value") << QStringList{"--tls=yes"} << "A opção --tls não leva valor.";
    QTest::newRow("two databases") << QStringList{"--local-db", "a.db", "--local-pg", "dbname=a"}
                                   << "Use --local-db ou --local-pg, não os dois.";
    QTest::newRow("picture of nothing") << QStringList{"--screenshot", "x.png"}
                                        << "--screenshot precisa de --open com a tela a mostrar.";
    QTest::newRow("maximise nothing") << QStringList{"--maximize-screen"}
                                      << "--maximize-screen precisa de --open com a tela a abrir.";
    QTest::newRow("report of nothing") << QStringList{"--report-pdf", "x.pdf"}
                                       << "--report-pdf precisa de --open com a tela do relatório.";
    QTest::newRow("picture and report")
        << QStringList{"--open", "ATE25400", "--screenshot", "x.png", "--report-pdf", "x.pdf"}
        << "Use --screenshot ou --report-pdf, não os dois.";
    QTest::newRow("unknown alone") << QStringList{"--bogus"} << "Opção desconhecida: --bogus.";
    QTest::newRow("two tokens") << QStringList{"--token", "a", "--token-file", "t.txt"}
                                << "Use --token ou --token-file, não os dois.";
    QTest::newRow("stray word") << QStringList{"ATE25400"} << "Argumento inesperado: \"ATE25400\".";
}

// A mistyped flag must stop the start with its reason, not be ignored.
void HostOptionsTest::badFlagsAreRefusedWithAReason()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QCOMPARE(app::testing::errorMessage([&] { parseHostOptions(arguments); }), message);
}

// The command line must override the file key by key, leaving the rest.
void HostOptionsTest::flagsWinOverTheConfigurationFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile ini(dir.filePath("ate-host.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[branch]\ncode = gig\nname = Galeão\nbound = true\n"
              "[server]\nhost = app.example\nport = 7000\ndeadline_ms = 1500\ntoken = abc\n"
              "[database]\ndriver = sqlite\npath = local.db\n");
    ini.close();

    host::Context context;
    app::applyHostOptions(
        parseHostOptions({"--config", ini.fileName(), "--port", "7100", "--unbound"}), context);
    QCOMPARE(context.branchCode(), QStringLiteral("GIG"));
    QCOMPARE(context.branchName(), QStringLiteral("Galeão"));
    QCOMPARE(context.moduleBoundToBranch(), false);
    QCOMPARE(context.serverHost(), QStringLiteral("app.example"));
    QCOMPARE(context.serverPort(), 7100);
    QCOMPARE(context.callDeadlineMs(), 1500);
    QCOMPARE(context.database().sqlitePath, dir.filePath("local.db"));
    const host::ConnectionOptions connection = app::connectionOptions(context);
    QCOMPARE(connection.deadlineMs, 1500);
    QCOMPARE(connection.bearerToken, QStringLiteral("abc"));
    QVERIFY(!connection.tls);

    app::applyHostOptions(parseHostOptions({"--local-pg", "host=/tmp dbname=local user=ate"}),
                          context);
    QCOMPARE(context.database().driver, host::DatabaseSettings::Driver::Postgres);
    QCOMPARE(context.database().databaseName, QStringLiteral("local"));

    host::Context missing;
    QVERIFY_THROWS_EXCEPTION(
        platform::Error, app::applyHostOptions(
                             parseHostOptions({"--root-cert", dir.filePath("none.pem")}), missing));

    // The token file's first line wins over the file's token; a missing or
    // blank file stops the start instead of calling without a token.
    QFile tokenFile(dir.filePath("token"));
    QVERIFY(tokenFile.open(QIODevice::WriteOnly));
    tokenFile.write("  s3cret \nignored\n");
    tokenFile.close();
    app::applyHostOptions(
        parseHostOptions({"--config", ini.fileName(), "--token-file", tokenFile.fileName()}),
        context);
    QCOMPARE(app::connectionOptions(context).bearerToken, QStringLiteral("s3cret"));
    QFile blank(dir.filePath("blank"));
    QVERIFY(blank.open(QIODevice::WriteOnly));
    blank.close();
    for (const QString &file : {blank.fileName(), dir.filePath("none")}) {
        QVERIFY_THROWS_EXCEPTION(
            platform::Error,
            app::applyHostOptions(parseHostOptions({"--token-file", file}), missing));
    }
}

// The title must show the branch's name even when only its code is given.
// Catches a mistyped --local-db that becomes a new empty database (an
// empty screen shown as success), and a host that could write to the
// company database it reads.
void HostOptionsTest::localDatabaseIsOnlyRead()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    host::Context &context = host::context();
    const QString missing = dir.filePath("mistyped.db");
    app::applyHostOptions(parseHostOptions({"--local-db", missing}), context);
    QVERIFY(context.database().readOnly);
    const QString message = app::testing::errorMessage([] { host::localDatabase(); });
    QVERIFY2(message.startsWith(QStringLiteral("Não foi possível abrir o banco de dados local")),
             qPrintable(message));
    QVERIFY(!QFile::exists(missing));

    const QString file = dir.filePath("company.db");
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("setup"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QVERIFY(
            QSqlQuery(db).exec("CREATE TABLE FILIAL (CDFILIAL VARCHAR(4), NMFILIAL VARCHAR(30))"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("setup"));
    app::applyHostOptions(parseHostOptions({"--local-db", file}), context);
    QSqlQuery query(host::localDatabase());
    QVERIFY(query.exec("SELECT COUNT(*) FROM FILIAL"));
    QVERIFY(!query.exec("INSERT INTO FILIAL VALUES ('GRU', 'Guarulhos')"));

    const QString postgres = qEnvironmentVariable("ATE_TEST_PG");
    if (postgres.isEmpty())
        QSKIP("ATE_TEST_PG is not set: the PostgreSQL case is skipped");
    app::applyHostOptions(parseHostOptions({"--local-pg", postgres}), context);
    QSqlQuery session(host::localDatabase());
    QVERIFY(session.exec("SELECT 1"));
    QVERIFY(!session.exec("CREATE TABLE host_options_escrita (X INTEGER)"));
}

void HostOptionsTest::branchNameComesFromTheLocalDatabase()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath("local.db");
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("setup"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(
            query.exec("CREATE TABLE FILIAL (CDFILIAL VARCHAR(4), NMFILIAL VARCHAR(30), IDCNTRRESC "
                       "VARCHAR(1))"));
        QVERIFY(query.exec(
            "INSERT INTO FILIAL VALUES ('GRU', 'Guarulhos', 'N'), ('POA', 'Porto Alegre', 'S')"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("setup"));

    host::Context &context = host::context();
    app::applyHostOptions(parseHostOptions({"--branch", "gru", "--local-db", file}), context);
    app::completeBranchName(context);
    QCOMPARE(context.branchName(), QStringLiteral("Guarulhos"));

    // A name given stays; an unknown branch leaves it empty for the screen
    // to refuse.
    context.setBranchName(QStringLiteral("Aeroporto"));
    app::completeBranchName(context);
    QCOMPARE(context.branchName(), QStringLiteral("Aeroporto"));
    context.setBranchName({});
    context.setBranchCode(QStringLiteral("XYZ"));
    app::completeBranchName(context);
    QCOMPARE(context.branchName(), QString());

    // No local database configured: nothing to read, nothing to fail.
    host::Context bare;
    bare.setBranchCode(QStringLiteral("GRU"));
    app::completeBranchName(bare);
    QCOMPARE(bare.branchName(), QString());
}

// The window title is how the user knows which branch the host works for.
void HostOptionsTest::titleNamesTheBranch()
{
    QCOMPARE(app::MainWindow::titleFor("GRU", "Guarulhos"),
             QStringLiteral("Catering — Filial GRU Guarulhos"));
    QCOMPARE(app::MainWindow::titleFor("GRU", {}), QStringLiteral("Catering — Filial GRU"));
    QCOMPARE(app::MainWindow::titleFor({}, {}), QStringLiteral("Catering"));
}

// Catches windows left with the toolkit's default icon, and windows the
// desktop cannot tie to the menu entry.
void HostOptionsTest::windowsShowTheProductsIcon()
{
    app::applyDesktopIdentity();
    const QIcon icon = QApplication::windowIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(!icon.pixmap(32, 32).isNull());
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("ate-host"));
    app::MainWindow window;
    QCOMPARE(window.windowIcon().cacheKey(), icon.cacheKey());
}

QTEST_MAIN(HostOptionsTest)
#include "tst_host_options.moc"
