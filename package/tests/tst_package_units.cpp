#include "package/tests/package_fixture.h"

#include "host/host_context.h"
#include "host/net/net_connection.h"
#include "testing/host/fake_dialogs.h"
#include "testing/host/modal_driver.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

using package::testing::HostAround;
using package::testing::LoadedPlugin;

class PackageUnitsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void everyExportIsThere();
    void nothingElseOfThePackageIsExported();
    void unitTableAndDescription();
    void unitsStartOnceAndEndWhenBalanced();
    void lastFinalizeReleasesTheScreen();
    void lastFinalizeReleasesTheReportForm();
    void failedCreationStaysInsideThePackage();

private:
    LoadedPlugin m_plugin;
};

void PackageUnitsTest::initTestCase()
{
    QVERIFY2(m_plugin.load(), qPrintable(m_plugin.errorString()));
}

void PackageUnitsTest::cleanupTestCase()
{
    m_plugin.unload();
}

// A host resolves these by name: a missing or mangled one fails the load.
void PackageUnitsTest::everyExportIsThere()
{
    for (const char *name : {"IniProc", "CriaPosFechaDiaPlanoVoo", "criaFiltroCia",
                             "CriaRelPosFecDiaPV", "Initialize", "Finalize", "GetPackageInfoTable"})
        QVERIFY2(m_plugin.entry(name), name);
    // The screen unit's interface under its unit-qualified names.
    for (const char *name :
         {"_ZN12Cli_ate2540018frmPosFecDiaPlaVooE", "_ZN12Cli_ate2540010boIdCriadoE",
          "_ZN12Cli_ate254009boPrimVezE", "_ZN12Cli_ate254008boScrollE",
          "_ZN12Cli_ate254007stListaE", "_ZN12Cli_ate2540023CriaPosFechaDiaPlanoVooEv",
          "_ZN12Cli_ate254007IniProcEv",
          // The filter dialog unit's.
          "_ZN12Cli_ate2540112frmFiltroCiaE", "_ZN12Cli_ate2540113criaFiltroCiaEv",
          "_ZN12Cli_ate2540113TfrmFiltroCia16sbtConfirmaClickEP7QObject"})
        QVERIFY2(m_plugin.variable<void>(name), name);
    // And the report unit's.
    for (const char *name :
         {"_ZN12Cli_ate2540217frmRelPosFecDiaPVE", "_ZN12Cli_ate2540210boIdCriadoE",
          "_ZN12Cli_ate2540218CriaRelPosFecDiaPVEv",
          "_ZN12Cli_"
          "ate2540218TfrmRelPosFecDiaPV30rpddPadraoBeforeGetQueryParamsERN4host7TParamsERb",
          "_ZN12Cli_ate2540218TfrmRelPosFecDiaPV11btpCiaClickEP7QObject"})
        QVERIFY2(m_plugin.variable<void>(name), name);
}

// Hidden by default: the package's own workings must not leak into the
// host's symbol space, where they could bind to another package's.
void PackageUnitsTest::nothingElseOfThePackageIsExported()
{
    const QString nm = QStandardPaths::findExecutable(QStringLiteral("nm"));
    QVERIFY(!nm.isEmpty());
    QProcess listing;
    listing.start(nm, {QStringLiteral("-D"), QStringLiteral("--defined-only"), QStringLiteral("-C"),
                       package::testing::packageFile()});
    QVERIFY(listing.waitForFinished(10000));
    QCOMPARE(listing.exitCode(), 0);
    const QStringList lines =
        QString::fromUtf8(listing.readAllStandardOutput()).split(QLatin1Char('\n'));
    const QStringList allowedPlain = {"IniProc",
                                      "CriaPosFechaDiaPlanoVoo",
                                      "Initialize",
                                      "Finalize",
                                      "GetPackageInfoTable",
                                      "criaFiltroCia",
                                      "CriaRelPosFecDiaPV",
                                      "_edata",
                                      "_end",
                                      "__bss_start",
                                      "_init",
                                      "_fini"};
    static const QRegularExpression line(QStringLiteral("^[0-9a-f]+ \\w (.+)$"));
    int plain = 0;
    for (const QString &text : lines) {
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch())
            continue;
        const QString symbol = match.captured(1);
        QVERIFY2(!symbol.contains(QLatin1String("Pkg_ate25400")), qPrintable(symbol));
        if (!symbol.contains(QLatin1Char(':')) && !symbol.contains(QLatin1Char('('))) {
            QVERIFY2(allowedPlain.contains(symbol), qPrintable(symbol));
            ++plain;
        }
    }
    QVERIFY(plain >= 5);
}

// The host's menu and the start order come from this table.
void PackageUnitsTest::unitTableAndDescription()
{
    const AtePackageInfo *info = m_plugin.info();
    QVERIFY(info);
    QCOMPARE(info->abiVersion, ATE_PACKAGE_ABI_VERSION);
    QCOMPARE(QByteArray(info->name), QByteArray("PKG_ATE25400"));
    QCOMPARE(info->runtimeOnly, 1);
    QStringList units;
    for (int i = 0; i < info->unitCount; ++i)
        units.append(QString::fromLatin1(info->units[i].name));
    // The package's own unit first, the screen's last: it starts last and
    // ends first.
    QCOMPARE(units.first(), QStringLiteral("Pkg_ate25400"));
    QCOMPARE(units.last(), QStringLiteral("Cli_ate25400"));
    // The units that read the screen start before it and end after it.
    QCOMPARE(units.mid(1, 2), (QStringList{"Cli_ate25401", "Cli_ate25402"}));
    QStringList required;
    for (int i = 0; i < info->requiredCount; ++i)
        required.append(QString::fromLatin1(info->requiredLibraries[i]));
    QCOMPARE(required,
             QStringList({"Qt6Core", "Qt6Widgets", "Qt6Sql", "Qt6PrintSupport", "ate_platform",
                          "ate_host", "ate_host_report", "ate_host_forms", "ate_host_net"}));
    QCOMPARE(QByteArray(info->mainScreenCode), QByteArray("ATE25400"));
    QVERIFY(info->mainScreenReady);
    QCOMPARE(info->mainScreenReady(), 0);
}

// A second owner's Initialize must not reset the state the first one
// works with, and the first Finalize must not end it under the second.
void PackageUnitsTest::unitsStartOnceAndEndWhenBalanced()
{
    m_plugin.initialize();
    QCOMPARE(m_plugin.boIdCriado(), false);
    QCOMPARE(m_plugin.boScroll(), false);
    QCOMPARE(m_plugin.stLista(), QString());

    m_plugin.stLista() = QStringLiteral("G3,JJ");
    m_plugin.boScroll() = true;
    m_plugin.initialize();
    QCOMPARE(m_plugin.stLista(), QStringLiteral("G3,JJ"));
    QCOMPARE(m_plugin.boScroll(), true);

    m_plugin.finalize();
    QCOMPARE(m_plugin.stLista(), QStringLiteral("G3,JJ"));
    m_plugin.finalize();
    QCOMPARE(m_plugin.stLista(), QString());

    // One Finalize too many is ignored: the next Initialize starts afresh.
    m_plugin.finalize();
    m_plugin.initialize();
    QCOMPARE(m_plugin.boScroll(), false);
    m_plugin.stLista() = QStringLiteral("AD");
    m_plugin.finalize();
    QCOMPARE(m_plugin.stLista(), QString());
}

// A form left open when the package goes would run its destructor and
// timer in code that is no longer there.
void PackageUnitsTest::lastFinalizeReleasesTheScreen()
{
    HostAround host;
    m_plugin.initialize();
    m_plugin.iniProc();
    QCOMPARE(host.mdiArea()->subWindowList().size(), 1);
    QVERIFY(m_plugin.frmPosFecDiaPlaVoo());
    QCOMPARE(m_plugin.boIdCriado(), true);
    QVERIFY(!host.window().findChildren<QTimer *>().isEmpty());

    m_plugin.initialize();
    m_plugin.finalize();
    QCOMPARE(host.mdiArea()->subWindowList().size(), 1);

    m_plugin.finalize();
    QVERIFY(!m_plugin.frmPosFecDiaPlaVoo());
    QCOMPARE(m_plugin.boIdCriado(), false);
    QVERIFY(host.mdiArea()->subWindowList().isEmpty());
    QVERIFY(host.window().findChildren<QTimer *>().isEmpty());
    QVERIFY(host.window().findChildren<QWidget *>(QStringLiteral("frmPosFecDiaPlaVoo")).isEmpty());

    // Started again, the package makes a new screen.
    m_plugin.initialize();
    m_plugin.iniProc();
    QCOMPARE(host.mdiArea()->subWindowList().size(), 1);
    m_plugin.finalize();
    QVERIFY(host.mdiArea()->subWindowList().isEmpty());
}

// A report form still open when the package ends would outlive its code.
void PackageUnitsTest::lastFinalizeReleasesTheReportForm()
{
    HostAround host;
    m_plugin.initialize();
    m_plugin.iniProc();
    host::testing::ModalDriver driver(QStringLiteral("frmRelPosFecDiaPV"),
                                      [this](QWidget *) { m_plugin.finalize(); });
    m_plugin.entry("CriaRelPosFecDiaPV")();
    QVERIFY2(driver.failure().isEmpty(), qPrintable(driver.failure()));
    QVERIFY(driver.acted());
    QVERIFY(!*m_plugin.variable<void *>("_ZN12Cli_ate2540217frmRelPosFecDiaPVE"));
    QVERIFY(!*m_plugin.variable<bool>("_ZN12Cli_ate2540210boIdCriadoE"));
    QVERIFY(host.window().findChildren<QWidget *>(QStringLiteral("frmRelPosFecDiaPV")).isEmpty());
    QVERIFY(host.mdiArea()->subWindowList().isEmpty());
}

// An exception thrown through the C entry point would take the host down.
void PackageUnitsTest::failedCreationStaysInsideThePackage()
{
    host::testing::FakeDialogs dialogs;
    HostAround host;
    host.server().stop();
    host::ConnectionOptions options = host::TNetConnection::defaultOptions();
    options.deadlineMs = 300;
    host::TNetConnection::setDefaultOptions(options);

    m_plugin.initialize();
    m_plugin.iniProc();
    QCOMPARE(dialogs.messages().size(), 1);
    QCOMPARE(dialogs.messages().first().kind, host::MessageKind::Error);
    QVERIFY(dialogs.messages().first().text.contains(host.server().host()));
    m_plugin.finalize();
    QVERIFY(host.mdiArea()->subWindowList().isEmpty());
}

QTEST_MAIN(PackageUnitsTest)
#include "tst_package_units.moc"
