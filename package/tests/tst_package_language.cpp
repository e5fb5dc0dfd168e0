#include "package/tests/package_fixture.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

using package::testing::HostAround;
using package::testing::LoadedPlugin;

namespace {

const char *const kContext = "TfrmPosFecDiaPlaVoo";
const char *const kCaption = "Posição do Fechamento Diário do Plano de Vôo";

} // namespace

// Built once per user locale (ATE_TEST_LOCALE): English finds the
// package's translation beside the library, Portuguese has none.
class PackageLanguageTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void screenSpeaksTheUsersLanguage();
    void translationLeavesWithThePackage();

private:
    bool english() const { return QLocale().language() == QLocale::English; }
    QString caption() const
    {
        return english() ? QStringLiteral("Daily Flight Plan Closing Position")
                         : QString::fromUtf8(kCaption);
    }

    LoadedPlugin m_plugin;
};

void PackageLanguageTest::initTestCase()
{
    // The language is chosen when the library loads.
    QLocale::setDefault(QLocale(QStringLiteral(ATE_TEST_LOCALE)));
    QVERIFY2(m_plugin.load(), qPrintable(m_plugin.errorString()));
}

// The user's language must reach the screen's own texts, and nothing but
// the built-in Portuguese when the package has no translation for it.
void PackageLanguageTest::screenSpeaksTheUsersLanguage()
{
    HostAround host;
    m_plugin.initialize();
    QCOMPARE(QString::fromUtf8(m_plugin.info()->mainScreenCaption), caption());
    m_plugin.iniProc();
    QCOMPARE(host.mdiArea()->subWindowList().size(), 1);
    QWidget *form = host.mdiArea()->subWindowList().first()->widget();
    QCOMPARE(form->objectName(), QStringLiteral("frmPosFecDiaPlaVoo"));
    QCOMPARE(form->windowTitle(), caption());
    auto *branch = form->findChild<QLabel *>(QStringLiteral("lblFilial"));
    QVERIFY(branch);
    QCOMPARE(branch->text(), english() ? QStringLiteral("Branch") : QStringLiteral("Filial"));
    m_plugin.finalize();
}

// A translator left installed by a finalized package would translate the
// host's other screens with texts it no longer owns.
void PackageLanguageTest::translationLeavesWithThePackage()
{
    m_plugin.initialize();
    QCOMPARE(QCoreApplication::translate(kContext, kCaption), caption());
    m_plugin.finalize();
    QCOMPARE(QCoreApplication::translate(kContext, kCaption), QString::fromUtf8(kCaption));

    // Loaded again (the library may have stayed mapped), it speaks again.
    m_plugin.unload();
    QVERIFY(m_plugin.load());
    m_plugin.initialize();
    QCOMPARE(QCoreApplication::translate(kContext, kCaption), caption());
    m_plugin.finalize();
}

QTEST_MAIN(PackageLanguageTest)
#include "tst_package_language.moc"
