#include "host/application.h"
#include "host/busy_indicator.h"
#include "host/functions.h"
#include "host/host_context.h"
#include "host/messages.h"
#include "platform/abort.h"
#include "platform/screen.h"
#include "testing/host/fake_dialogs.h"
#include "testing/host/modal_driver.h"

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using host::testing::FakeDialogs;

class FunctionsTest : public QObject
{
    Q_OBJECT

private slots:
    void messagesMatchKeysIgnoringCase();
    void emptyString_data();
    void emptyString();
    void ajusta_data();
    void ajusta();
    void mensErroShowsThenAbortsSilently();
    void failuresReachingTheLoopAreShownAsErrors();
    void messageBoxNeverShowsTheWaitCursor();
    void realBoxesShowTheText();
    void busyIndicatorHiddenOnAFailingPath();
    void busyIndicatorFollowsTheMainWindow();
    void contextReadsItsConfigurationFile();
    void contextRefusesBadConfiguration();
    void libpqConnectionStringsBecomeDriverOptions();
    void applicationObjectFindsTheMdiArea();
};

// Catches a case-sensitive lookup ("Sit1" must find "SIT1") and a missing
// key that fails instead of giving an empty text.
void FunctionsTest::messagesMatchKeysIgnoringCase()
{
    host::TMessages messages;
    messages.setLines({QStringLiteral("SIT1|Pe"), QStringLiteral("Companhia|Companhia"),
                       QStringLiteral("FILI_DEVE|Filial deve ser informada."),
                       QStringLiteral("PIPE|a|b"), QStringLiteral("sit1|second")});
    QCOMPARE(messages.Msg(QStringLiteral("Sit1")), QStringLiteral("Pe"));
    QCOMPARE(messages.Msg(QStringLiteral("COMPANHIA")), QStringLiteral("Companhia"));
    QCOMPARE(messages.Msg(QStringLiteral("fili_deve")),
             QStringLiteral("Filial deve ser informada."));
    QCOMPARE(messages.Msg(QStringLiteral("PIPE")), QStringLiteral("a|b"));
    QCOMPARE(messages.Msg(QStringLiteral("NAO_EXISTE")), QString());
    QCOMPARE(messages.Msg(QString()), QString());
}

void FunctionsTest::emptyString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("empty");
    QTest::newRow("nothing") << QString() << true;
    QTest::newRow("blanks") << QStringLiteral("    ") << true;
    QTest::newRow("unfilled date, blanks") << QStringLiteral("  /  /    ") << true;
    QTest::newRow("unfilled date, underscores") << QStringLiteral("__/__/____") << true;
    QTest::newRow("date edit text") << QStringLiteral("//") << true;
    QTest::newRow("unfilled time") << QStringLiteral("  :  ") << true;
    QTest::newRow("code") << QStringLiteral("GRU") << false;
    QTest::newRow("partial date") << QStringLiteral("1_/__/____") << false;
    QTest::newRow("zero") << QStringLiteral("0") << false;
    QTest::newRow("padded code") << QStringLiteral(" A  ") << false;
}

// Catches an unfilled masked or date edit taken as filled.
void FunctionsTest::emptyString()
{
    QFETCH(QString, text);
    QFETCH(bool, empty);
    QCOMPARE(host::EmptyString(text), empty);
}

void FunctionsTest::ajusta_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("adjusted");
    QTest::newRow("lower case") << QStringLiteral("gru") << QStringLiteral("GRU");
    QTest::newRow("leading blank") << QStringLiteral(" GRU") << QStringLiteral("GRU");
    QTest::newRow("trailing blank") << QStringLiteral("gru ") << QStringLiteral("GRU");
    QTest::newRow("full width") << QStringLiteral("sp01") << QStringLiteral("SP01");
    QTest::newRow("too long") << QStringLiteral("abcde") << QStringLiteral("ABCD");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blanks") << QStringLiteral("    ") << QString();
}

// Catches a typed code that would not find its branch ("gru" against the
// stored "GRU") and an empty code that would stop counting as empty.
void FunctionsTest::ajusta()
{
    QFETCH(QString, text);
    QFETCH(QString, adjusted);
    const QString result = host::Ajusta(text, 4);
    QCOMPARE(result, adjusted);
    QCOMPARE(host::EmptyString(result), adjusted.isEmpty());
}

// Catches an abort raised before the message (the user would see nothing)
// or a MensErro that lets the operation go on.
void FunctionsTest::mensErroShowsThenAbortsSilently()
{
    FakeDialogs fake;
    bool shown = false;
    fake.setOnMessage([&](const FakeDialogs::Message &) { shown = true; });
    bool aborted = false;
    try {
        host::MensErro(QStringLiteral("Filial deve ser informada."), true);
    } catch (const platform::Abort &) {
        aborted = shown;
    }
    QVERIFY(aborted);
    QCOMPARE(fake.messages().size(), 1);
    QCOMPARE(fake.messages().first().kind, host::MessageKind::Error);
    QCOMPARE(fake.messages().first().text, QStringLiteral("Filial deve ser informada."));

    // The abort itself is silent: nothing more is shown when it reaches the loop.
    QVERIFY(!platform::guarded([] { host::MensErro(QStringLiteral("outra"), true); }));
    QCOMPARE(fake.texts(),
             QStringList({QStringLiteral("Filial deve ser informada."), QStringLiteral("outra")}));

    host::MensErro(QStringLiteral("só aviso"), false);
    QCOMPARE(fake.messages().size(), 3);
}

// Catches a failure that reaches the event loop without being shown in the
// host's error box.
void FunctionsTest::failuresReachingTheLoopAreShownAsErrors()
{
    FakeDialogs fake;
    QVERIFY(!platform::guarded([] { throw platform::Error(QStringLiteral("Falha na leitura.")); }));
    QCOMPARE(fake.messages().size(), 1);
    QCOMPARE(fake.messages().first().kind, host::MessageKind::Error);
    QCOMPARE(fake.messages().first().text, QStringLiteral("Falha na leitura."));
}

// Catches a message shown under the busy cursor, and a busy operation that
// loses its hourglass after a message it goes on from.
void FunctionsTest::messageBoxNeverShowsTheWaitCursor()
{
    FakeDialogs fake;
    bool cursorWasBusy = true;
    fake.setOnMessage([&](const FakeDialogs::Message &) {
        cursorWasBusy = QGuiApplication::overrideCursor() != nullptr;
    });
    platform::setScreenCursor(platform::ScreenCursor::HourGlass);
    host::MensErro(QStringLiteral("x"), false);
    QVERIFY(!cursorWasBusy);
    QCOMPARE(platform::screenCursor(), platform::ScreenCursor::HourGlass);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    platform::setScreenCursor(platform::ScreenCursor::Default);
    QVERIFY(!QGuiApplication::overrideCursor());

    // One set past the platform is dropped as well.
    cursorWasBusy = true;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    host::MensErro(QStringLiteral("y"), false);
    QVERIFY(!cursorWasBusy);
    QVERIFY(!QGuiApplication::overrideCursor());
}

// Catches a failure that reaches the event loop without a box on screen,
// and a box that does not close on OK.
void FunctionsTest::realBoxesShowTheText()
{
    QString shown;
    host::testing::ModalDriver error(QStringLiteral("msgErro"), [&](QWidget *box) {
        shown = box->findChild<QLabel *>(QStringLiteral("lblMensagem"))->text();
        QTest::mouseClick(box->findChild<QPushButton *>(QStringLiteral("btnOk")), Qt::LeftButton);
    });
    QVERIFY(!platform::guarded(
        [] { throw platform::Error(QStringLiteral("Filial não cadastrada.")); }));
    QVERIFY2(error.failure().isEmpty(), qPrintable(error.failure()));
    QCOMPARE(shown, QStringLiteral("Filial não cadastrada."));

    host::testing::ModalDriver information(QStringLiteral("msgInformacao"), [&](QWidget *box) {
        shown = box->findChild<QLabel *>(QStringLiteral("lblMensagem"))->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    host::dialogs().information(QStringLiteral("Não há companhia cadastrada."));
    QVERIFY2(information.failure().isEmpty(), qPrintable(information.failure()));
    QCOMPARE(shown, QStringLiteral("Não há companhia cadastrada."));
}

// Catches a busy panel left up after a failed read, or one still up while
// the failure's message is on screen.
void FunctionsTest::busyIndicatorHiddenOnAFailingPath()
{
    FakeDialogs fake;
    QMainWindow window;
    window.resize(400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    bool upWhileReading = false;
    bool upDuringMessage = true;
    fake.setOnMessage(
        [&](const FakeDialogs::Message &) { upDuringMessage = host::busyIndicatorVisible(); });
    const bool completed = platform::guarded([&] {
        host::BusyIndicator busy(&window, host::BusyReading);
        upWhileReading = host::busyIndicatorVisible() && host::busyIndicatorKind() == 6;
        throw platform::Error(QStringLiteral("Servidor indisponível."));
    });
    QVERIFY(!completed);
    QVERIFY(upWhileReading);
    QVERIFY(!upDuringMessage);
    QVERIFY(!host::busyIndicatorVisible());
    QCOMPARE(host::busyIndicatorKind(), -1);
    QCOMPARE(fake.texts(), QStringList{QStringLiteral("Servidor indisponível.")});

    // Hiding twice, or without showing, is harmless.
    host::DeactiveShowAvi();
    QVERIFY(!host::busyIndicatorVisible());
}

// Catches a busy panel that is not on screen over the main window, or that
// shows the wrong text for its kind.
void FunctionsTest::busyIndicatorFollowsTheMainWindow()
{
    QMainWindow window;
    window.resize(500, 400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    host::ActiveShowAvi(&window, host::BusyConnecting);
    auto *panel = window.findChild<QWidget *>(QStringLiteral("panShowAvi"));
    QVERIFY(panel);
    QVERIFY(panel->isVisible());
    QVERIFY(window.rect().contains(panel->geometry()));
    auto *label = panel->findChild<QLabel *>(QStringLiteral("lblShowAvi"));
    QCOMPARE(label->text(), QStringLiteral("Conectando ao servidor..."));
    QCOMPARE(host::busyIndicatorKind(), 0);

    host::ActiveShowAvi(&window, host::BusyReading);
    QCOMPARE(label->text(), QStringLiteral("Lendo dados..."));
    QCOMPARE(host::busyIndicatorKind(), 6);
    host::DeactiveShowAvi();
    QVERIFY(!panel->isVisible());

    // Without a main window it floats over the screen on its own.
    host::ActiveShowAvi(nullptr, host::BusyReading);
    QVERIFY(host::busyIndicatorVisible());
    QCOMPARE(host::busyIndicatorKind(), 6);
    host::DeactiveShowAvi();
    QVERIFY(!host::busyIndicatorVisible());
}

// Catches settings read from the wrong keys, a relative path taken from the
// working folder instead of the configuration file's, and a lost certificate.
void FunctionsTest::contextReadsItsConfigurationFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
        QFile cert(dir.filePath(QStringLiteral("ca.pem")));
        QVERIFY(cert.open(QIODevice::WriteOnly));
        cert.write("-----BEGIN CERTIFICATE-----\nabc\n-----END CERTIFICATE-----\n");
    }
    const QString ini = dir.filePath(QStringLiteral("host.ini"));
    {
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[branch]\ncode=GRU\nname=Guarulhos\nbound=true\n"
                   "[server]\nhost=app.example\nport=7070\ntoken=s3cret\n"
                   "root_certificate=ca.pem\ndeadline_ms=2500\n"
                   "[database]\ndriver=sqlite\npath=local.db\n");
    }
    host::Context context;
    context.loadFromSettings(ini);
    QCOMPARE(context.branchCode(), QStringLiteral("GRU"));
    QCOMPARE(context.branchName(), QStringLiteral("Guarulhos"));
    QVERIFY(context.moduleBoundToBranch());
    QCOMPARE(context.serverHost(), QStringLiteral("app.example"));
    QCOMPARE(context.serverPort(), 7070);
    QCOMPARE(context.token(), QStringLiteral("s3cret"));
    QVERIFY(context.tlsRootCertificate().startsWith("-----BEGIN CERTIFICATE-----"));
    QVERIFY(context.useTls());
    QCOMPARE(context.callDeadlineMs(), 2500);
    QCOMPARE(context.database().driver, host::DatabaseSettings::Driver::Sqlite);
    QCOMPARE(context.database().sqlitePath, dir.filePath(QStringLiteral("local.db")));

    // A token kept in a file of its own, out of the configuration file a
    // user may be shown; an empty one is refused, not a call without one.
    const auto writeFile = [&](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };
    writeFile(QStringLiteral("token"), "t0ken\n");
    writeFile(QStringLiteral("host.ini"), "[server]\ntoken=old\ntoken_file=token\n");
    host::Context fromFile;
    fromFile.loadFromSettings(ini);
    QCOMPARE(fromFile.token(), QStringLiteral("t0ken"));
    writeFile(QStringLiteral("token"), "\n");
    QVERIFY_THROWS_EXCEPTION(platform::Error, fromFile.loadFromSettings(ini));

    // The free functions read the process's context.
    host::context() = context;
    QCOMPARE(host::FiliProc(), QStringLiteral("GRU"));
    QCOMPARE(host::NomeFiliProc(), QStringLiteral("Guarulhos"));
    QVERIFY(host::ModuFili());
    QCOMPARE(host::WebURL(), QStringLiteral("app.example"));
    QCOMPARE(host::WebPort(), 7070);
    host::context() = host::Context();
}

// Catches a start-up that goes on with a missing file, a missing certificate
// or a port that is not a number.
void FunctionsTest::contextRefusesBadConfiguration()
{
    QTemporaryDir dir;
    host::Context context;
    QVERIFY_THROWS_EXCEPTION(platform::Error,
                             context.loadFromSettings(dir.filePath(QStringLiteral("nada.ini"))));

    const auto write = [&](const QByteArray &content) {
        QFile file(dir.filePath(QStringLiteral("bad.ini")));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(content);
        return file.fileName();
    };
    QVERIFY_THROWS_EXCEPTION(platform::Error,
                             context.loadFromSettings(write("[server]\nport=abc\n")));
    QVERIFY_THROWS_EXCEPTION(platform::Error, context.loadFromSettings(write(
                                                  "[server]\nroot_certificate=missing.pem\n")));
    QVERIFY_THROWS_EXCEPTION(platform::Error,
                             context.loadFromSettings(write("[database]\ndriver=oracle\n")));
}

// Catches libpq keys lost or mis-mapped on the way to the Qt driver.
void FunctionsTest::libpqConnectionStringsBecomeDriverOptions()
{
    const auto settings = host::DatabaseSettings::fromLibpq(
        QStringLiteral("host=/tmp/ate-pg.x port=25432 dbname=ate_test user=postgres "
                       "password='a b\\'c' sslmode=disable options='-c search_path=x'"));
    QCOMPARE(settings.driver, host::DatabaseSettings::Driver::Postgres);
    QCOMPARE(settings.qtDriverName(), QStringLiteral("QPSQL"));
    QCOMPARE(settings.hostName, QStringLiteral("/tmp/ate-pg.x"));
    QCOMPARE(settings.port, 25432);
    QCOMPARE(settings.databaseName, QStringLiteral("ate_test"));
    QCOMPARE(settings.userName, QStringLiteral("postgres"));
    QCOMPARE(settings.password, QStringLiteral("a b'c"));
    QStringList options = settings.connectOptions.split(QLatin1Char(';'));
    options.sort();
    QCOMPARE(options, QStringList({QStringLiteral("options='-c search_path=x'"),
                                   QStringLiteral("sslmode=disable")}));
    // A URI is a connection string too.
    const auto uri = host::DatabaseSettings::fromLibpq(
        QStringLiteral("postgresql://ate@db.example:5433/ate_prod?connect_timeout=3"));
    QCOMPARE(uri.hostName, QStringLiteral("db.example"));
    QCOMPARE(uri.port, 5433);
    QCOMPARE(uri.databaseName, QStringLiteral("ate_prod"));
    QCOMPARE(uri.userName, QStringLiteral("ate"));
    QCOMPARE(uri.connectOptions, QStringLiteral("connect_timeout=3"));
    // A refusal never shows the string: it may hold the password.
    try {
        host::DatabaseSettings::fromLibpq(QStringLiteral("password='s3cret"));
        QFAIL("an unterminated quote was accepted");
    } catch (const platform::Error &error) {
        QVERIFY2(!error.message().contains(QStringLiteral("s3cret")), qPrintable(error.message()));
    }
    QVERIFY_THROWS_EXCEPTION(platform::Error,
                             host::DatabaseSettings::fromLibpq(QStringLiteral("host")));
    QVERIFY_THROWS_EXCEPTION(platform::Error,
                             host::DatabaseSettings::fromLibpq(QStringLiteral("password='x")));
}

// Catches a dangling main window after the host closed it.
void FunctionsTest::applicationObjectFindsTheMdiArea()
{
    QVERIFY(!host::mainWindow());
    QVERIFY(!host::mdiArea());
    auto *window = new QMainWindow;
    auto *area = new QMdiArea;
    window->setCentralWidget(area);
    host::setMainWindow(window);
    QCOMPARE(host::mainWindow(), window);
    QCOMPARE(host::mdiArea(), area);
    delete window;
    QVERIFY(!host::mainWindow());
    QVERIFY(!host::mdiArea());
}

QTEST_MAIN(FunctionsTest)
#include "functions_test.moc"
